#pragma once

#include <QString>
#include <QStringList>

// A library as one zip file, to send to someone or to carry to another
// computer: exactly the library's files as they lie in `DataBase` (its `.da1`
// to `.vtp`, `.ico`, and its folder with `Vtipy.sez` and the jokes), bytes
// unchanged, so that the recipient on any system unpacks it into `DataBase`
// and adds it with "Přidat do seznamu...".
//
// Everything works in the program folder that is the working directory, as
// the rest of the store does.
namespace store {

// The most a library may hold when it is unpacked, all its files together:
// far above any real one (its jokes are at most kJokeLimit each).
constexpr qint64 kLibraryLimit = qint64(1) << 30;
// The largest zip file that is opened at all.
constexpr qint64 kPackageLimit = qint64(4) << 30;

// Writes `library` as a zip file at `zipPath` (outside the database, through
// the save routine for outside files). Names are stored in UTF-8 with the
// zip's UTF-8 flag, which Windows Explorer, 7-Zip and unzip all honour.
// The entries are named as the files are named on disk and keep their times;
// the program's temporary files, links and special files are left out.
bool exportLibrary(const QString &library, const QString &zipPath, QString *error = nullptr);

// What a zip file holds, looked at before anything is unpacked.
struct PackageCheck
{
    enum class Outcome {
        Ready,   // one library, every entry acceptable
        Refused, // not a library file the program takes: `message` says why
        Failed,  // the file could not be read: `message` says why
    };
    Outcome outcome = Outcome::Failed;
    QString library; // the library's name, as its `.vtp` file is named (Ready)
    QString message; // plain Czech, for the user
};
// Looks at every entry of the zip (names, kinds, declared sizes) and at the
// library's `.vtp` and `Vtipy.sez`, which tell how names without the zip's
// UTF-8 flag are encoded (code page 852 from Windows Explorer, Windows-1250
// or UTF-8 from other tools). The jokes themselves are read only by
// importLibrary(), which refuses what turns out damaged then.
PackageCheck inspectPackage(const QString &zipPath);

enum class ImportOutcome {
    Imported,  // the library's files are in `DataBase`; the caller lists it
    Refused,   // the zip is not one the program takes (`error` says why)
    NameTaken, // a library of that name exists: nothing was changed
    Failed,    // reading the zip or writing the files failed (`error`)
};
// Unpacks the library of `zipPath` into `DataBase`, under its own name or,
// when `asName` is given, under that one (its files renamed and its `.vtp`
// naming it; a `.vtp` that names another library than its file does is
// made to name it too, since "Přidat do seznamu..." lists what it names).
// Names go to the disk in UTF-8, bytes as they were. All or nothing: the
// files go to a temporary folder inside `DataBase`, are checked there and
// only then renamed into place, never over anything that exists; on any
// failure nothing is left behind. The library is not added to `seznam.dat`:
// the caller does that through its list (`imported` tells the name).
ImportOutcome importLibrary(const QString &zipPath, const QString &asName, QString *imported,
                            QString *error = nullptr);

// Why `name` cannot be the name of a new library, in the words of the
// new-library wizard; empty when it can: an empty name, a name the home
// platform refuses, or one whose folder or files exist (in any letter case).
QString libraryNameProblem(const QString &name);

} // namespace store
