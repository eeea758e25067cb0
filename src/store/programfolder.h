#pragma once

#include <QString>
#include <QStringList>

// Where the program's files live: the folder holding `DataBase`,
// "chichotek.cfg" and "pozadi.bmp".
//
// A folder copied from the home platform keeps working where it is: when the
// executable's own folder holds a `DataBase` (in any letter case), it is the
// program folder. Otherwise each user has one in the data folder of the
// desktop (`$XDG_DATA_HOME/chichotek`), filled on the first start from the
// installed sample. A folder named on the command line comes before both.
namespace store {

enum class FolderKind { Chosen, Portable, PerUser };

struct ProgramFolder
{
    FolderKind kind = FolderKind::PerUser;
    QString path; // absolute
};

// The program folder for an executable in `executableFolder`; `chosen` is
// the folder named on the command line (empty: none).
ProgramFolder programFolderFor(const QString &executableFolder, const QString &chosen = {});

// The database folder of a program folder: its `DataBase` in any letter
// case; empty when it has none.
QString databaseIn(const QString &folder);

// The user's own program folder: `$XDG_DATA_HOME/chichotek`, or
// `~/.local/share/chichotek` when that variable names no absolute folder.
QString perUserFolder();

// The sample installed with the executable: `../share/chichotek/sample`
// from its folder.
QString sampleFolderFor(const QString &executableFolder);

// Creates `folder` when missing and copies into it what of the sample it
// lacks: `DataBase` (with everything in it), "chichotek.cfg", "pozadi.bmp".
// What is there already, in any letter case, is never touched. False with
// the reason when the folder could not be created or a copy failed.
// `made` tells whether the database was copied now (the folder's first use).
bool fillFromSample(const QString &folder, const QString &sample, QString *error = nullptr,
                    bool *made = nullptr);

// The user's settings of this computer, which a program folder shared with
// other computers must not hold: `$XDG_CONFIG_HOME/chichotek`, or
// `~/.config/chichotek`.
QString configFolder();

// The program folders opened last, the last one first (at most ten), kept
// in the configuration folder; folders that are gone are left out.
QStringList recentFolders();
// Puts `folder` first in that list.
void rememberFolder(const QString &folder);

} // namespace store
