#pragma once

#include "authoring/Authoring.h"

#include <QString>

class QApplication;
class THLAVNI;
class TAboutBox;
class TPlumoNasral;
class Tlook;
class TCelkemVtipu;
class TCelkemDetaily;

// The program-wide windows (the authoring ones are in Authoring.h): each is created once at start
// and lives until the program ends. Windows reach each other through these.
extern THLAVNI *HLAVNI;
extern TAboutBox *AboutBox;
extern TPlumoNasral *PlumoNasral;
extern Tlook *look;
extern TCelkemVtipu *CelkemVtipu;
extern TCelkemDetaily *CelkemDetaily;

// The application title, the look of the windows and the mapping of the
// fonts the joke files and the windows name to installed fonts.
void setupApplication(QApplication &app);
// The program's own look (the home platform's), unless the user asked for a
// style (QT_STYLE_OVERRIDE, -style) or the desktop's theme has one.
void chooseStyle();

// Creates every window in order, the main window first; `programFolder` is
// the folder the program runs from (empty: the executable's folder).
void createWindows(const QString &programFolder = QString());
// The same in two parts: the main window, and the others (none of which the
// main window's first paint needs). The second part does nothing once done.
void createMainWindow(const QString &programFolder = QString());
void createOtherWindows();
// Shows the main window centred on the screen as the program starts, and
// creates the other windows once it has been painted; then offers what the
// start found (THLAVNI::checkAfterStart).
void showMainWindow();
// Destroys the windows of `createWindows`.
void destroyWindows();

// What the command line asks for: `chichotek [--folder DIR | DIR] [FILE]`,
// `--help`, `--version`.
struct CommandLine
{
    enum Action { Run, Help, Version, Fail };
    Action action = Run;
    QString folder; // the program folder named (empty: none)
    QString file;   // a library file to import (an existing file named)
    QString error;  // why the command line was refused (Fail)
};

// Reads the arguments that follow the program's name (Qt's own options
// already taken out).
CommandLine readCommandLine(const QStringList &arguments);
// The program's own arguments of a command line: those after the program's
// name less Qt's own options (-platform, -style, -display and the others Qt
// takes with their values), read before Qt starts.
QStringList programArguments(int argc, const char *const *argv);
// The texts of `--help` and `--version`.
QString helpText();
QString versionText();

// The folder the program runs from: the one named on the command line
// (`chosen`), else the executable's folder when it holds the database, else
// the user's own folder, made and filled from the installed sample on the
// first start. A folder that cannot be written is reported once, and the
// user may choose another one instead.
// `firstStart` tells whether the user's own folder was made now.
QString startingFolder(const QString &chosen, const QString &executableFolder,
                       bool *firstStart = nullptr);
// Tells the user where the folder made on the first start is, and how to
// open another one.
void tellFirstStart(const QString &folder);
// Switches the program to another program folder as a fresh start on it
// would: the main window leaves its folder (settings saved, lock gone), the
// windows are made anew on the other one, which heads the recent folders.
// The later one waits until the command that asks for it has returned.
void openFolder(const QString &folder);
void openFolderLater(const QString &folder);

// The main routine: runs the program until the main window closes.
int runProgram(int argc, char **argv);
