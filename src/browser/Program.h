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

// Creates every window in order, the main window first; `programFolder` is
// the folder the program runs from (empty: the executable's folder).
void createWindows(const QString &programFolder = QString());
// Destroys the windows of `createWindows`.
void destroyWindows();

// The main routine: runs the program until the main window closes.
int runProgram(int argc, char **argv);
