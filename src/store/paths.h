#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Paths of the joke database.
//
// Every path is relative to the working directory (the program's folder) and
// is built only from whole names: a library name {L} and a joke name {J} are
// used verbatim as the stem of a file or folder name. A name that the home
// platform's file system would refuse never becomes a path, so no name can
// reach outside `DataBase` or its library's own folder.
//
// Letter case in file names carries no meaning on the home platform, and
// databases copied from it hold `DataBase`, `database`, `Vtipy.sez` and
// `vtipy.sez` in any mix. Every component is therefore resolved against what
// is on disk: an exact match first, then a match ignoring letter case. Files
// the program creates get the case `DataBase` and `Vtipy.sez`.
namespace store {

// Whether `name` can be one component of a path: not empty, not "." or "..",
// no "/", "\", control character or character the home platform forbids in
// file names (< > : " | ? *), and representable in the 8-bit code page.
bool isAcceptableName(const QString &name);

// Whether the home platform can have a file or folder of exactly this name:
// an acceptable name that is no device name (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9; alone or before an extension, in any letter case) and
// does not end in a dot or a blank.
bool isAcceptableFileName(const QString &name);

// Names on disk are bytes. A name in UTF-8, as this program and every
// system of today write them, is read as such. A name in other bytes (a
// `DataBase` unpacked by an old unzip or copied from a FAT stick mounted
// without UTF-8 keeps its Czech names as Windows-1250 bytes: `Kůň.vti` as
// 4B F9 F2 2E 76 74 69) keeps each byte of 0x80 and above as a character of
// its own, U+DC80 to U+DCFF, which no UTF-8 name can hold: the name reaches
// the disk again byte for byte, and the resolver matches it as the user
// knows it (shownName).
QString nameFromDisk(QByteArrayView bytes);
QByteArray nameToDisk(QStringView name);
// The name as the user knows it: a name kept in other bytes read as
// Windows-1250; any other name as it is.
QString shownName(const QString &name);

// The on-disk form of a relative path whose components are separated by "/"
// or "\": each component is matched against the entries of its folder, exact
// match first, then ignoring letter case, then a name kept in Windows-1250
// bytes that reads as the component in either case. Components that do not
// exist are kept as given. The result uses "/" (and is given to the system
// through nameToDisk).
QString resolvePath(const QString &relativePath);

class DbPath
{
public:
    // "DataBase\seznam.dat"
    static DbPath listFile();
    // "DataBase"
    static DbPath databaseFolder();
    // "DataBase\" + a file name
    static DbPath databaseFile(const QString &fileName);
    // "DataBase\" + L + extension, extension such as ".da1"
    static DbPath libraryFile(const QString &library, const QString &extension);
    // "DataBase\" + L
    static DbPath libraryFolder(const QString &library);
    // "DataBase\" + L + "\Vtipy.sez"
    static DbPath jokeList(const QString &library);
    // "DataBase\" + L + "\" + J + ".vti"
    static DbPath jokeFile(const QString &library, const QString &joke);
    // "DataBase\" + L + "\" + a file name
    static DbPath libraryFolderFile(const QString &library, const QString &fileName);
    // A file of the program's own folder: "chichotek.cfg", "pozadi.bmp".
    static DbPath programFile(const QString &fileName);

    // False when a name in the path is one the file system refuses.
    bool isValid() const { return m_refused.isNull(); }
    // The refused name (null when valid).
    const QString &refusedName() const { return m_refused; }
    // Its names as given: "DataBase", then the library's file or folder, then
    // the file in the library's folder, if any.
    const QStringList &parts() const { return m_parts; }
    // The path as the user knows it, with backslashes: "DataBase\Zvířata.da1".
    QString display() const;
    // The path to use with the file system, resolved against what is on disk.
    // Empty for an invalid path.
    QString path() const;

private:
    static DbPath make(QStringList parts, const QStringList &names,
                       const QStringList &folders = {});

    QStringList m_parts;
    QString m_refused;
};

} // namespace store
