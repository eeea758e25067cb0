// A library as one zip file: every sample library out and back byte for
// byte, zips made by hand on Windows (names in code page 852, Windows-1250 or
// UTF-8 without the flag, at the top or in a folder), hostile zips refused
// without a trace, and an import failing at every step leaving nothing.

#include "store/codepage.h"
#include "store/files.h"
#include "store/librarypackage.h"
#include "store/paths.h"
#include "support/testfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

using namespace store;

namespace {

const QString kSample = QStringLiteral(CHICHOTEK_SAMPLE);

// ---------------------------------------------------------------------------
// Zip files made byte by byte, so that every field can be what a hostile or
// a foreign tool would write.

quint32 crc32(QByteArrayView bytes, quint32 crc = 0)
{
    static const std::vector<quint32> table = [] {
        std::vector<quint32> t(256);
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char b : bytes)
        crc = table[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

struct RawEntry
{
    QByteArray name;
    QByteArray data;    // as stored (deflated when method is 8)
    quint32 crc = 0;    // of the unpacked bytes
    quint32 size = 0;   // declared unpacked size
    quint16 method = 0; // 0 stored, 8 deflated
    quint16 flags = 0;  // bit 0 encrypted, bit 11 UTF-8
    quint8 system = 3;  // made on Unix
    quint32 attributes = quint32(S_IFREG | 0644) << 16;
};

RawEntry stored(const QByteArray &name, const QByteArray &data)
{
    RawEntry e;
    e.name = name;
    e.data = data;
    e.crc = crc32(data);
    e.size = quint32(data.size());
    return e;
}

// Raw deflate of `bytes` (zlib's stream without its header and checksum).
QByteArray deflated(const QByteArray &bytes)
{
    const QByteArray z = qCompress(bytes, 9);
    return z.mid(6, z.size() - 10);
}

QByteArray makeZip(const std::vector<RawEntry> &entries)
{
    QByteArray zip;
    QByteArray central;
    const auto u16 = [](QByteArray &out, quint32 v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    const auto u32 = [&](QByteArray &out, quint32 v) {
        u16(out, v & 0xFFFF);
        u16(out, v >> 16);
    };
    const quint32 dosTime = (10u << 11) | (30u << 5);                // 10:30:00
    const quint32 dosDate = ((2024u - 1980) << 9) | (5u << 5) | 17u; // 2024-05-17
    for (const RawEntry &e : entries) {
        const quint32 offset = quint32(zip.size());
        u32(zip, 0x04034b50);
        u16(zip, 20);
        u16(zip, e.flags);
        u16(zip, e.method);
        u16(zip, dosTime);
        u16(zip, dosDate);
        u32(zip, e.crc);
        u32(zip, quint32(e.data.size()));
        u32(zip, e.size);
        u16(zip, quint32(e.name.size()));
        u16(zip, 0);
        zip += e.name;
        zip += e.data;

        u32(central, 0x02014b50);
        u16(central, quint32(e.system) << 8 | 30);
        u16(central, 20);
        u16(central, e.flags);
        u16(central, e.method);
        u16(central, dosTime);
        u16(central, dosDate);
        u32(central, e.crc);
        u32(central, quint32(e.data.size()));
        u32(central, e.size);
        u16(central, quint32(e.name.size()));
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u32(central, e.attributes);
        u32(central, offset);
        central += e.name;
    }
    const quint32 start = quint32(zip.size());
    zip += central;
    u32(zip, 0x06054b50);
    u16(zip, 0);
    u16(zip, 0);
    u16(zip, quint32(entries.size()));
    u16(zip, quint32(entries.size()));
    u32(zip, quint32(central.size()));
    u32(zip, start);
    u16(zip, 0);
    return zip;
}

// The entries of a zip file's central directory: each name's bytes and its
// general purpose flags.
std::vector<std::pair<QByteArray, quint16>> centralDirectory(const QByteArray &zip)
{
    const auto u16 = [&zip](qsizetype at) {
        return quint16(quint8(zip[at]) | quint8(zip[at + 1]) << 8);
    };
    const auto u32 = [&](qsizetype at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    std::vector<std::pair<QByteArray, quint16>> entries;
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return entries;
    qsizetype at = qsizetype(u32(end + 16));
    for (int i = 0; i < u16(end + 10); ++i) {
        if (u32(at) != 0x02014b50)
            return {};
        const quint16 nameLength = u16(at + 28);
        entries.emplace_back(zip.mid(at + 46, nameLength), u16(at + 8));
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
    }
    return entries;
}

// ---------------------------------------------------------------------------

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file and folder below `root` with its bytes ("<dir>" for a folder).
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(QDir(root).relativeFilePath(file),
                     QFileInfo(file).isDir() ? QByteArray("<dir>") : readFile(file));
    }
    return files;
}

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        if (QFileInfo(file).isDir())
            QDir().mkpath(target);
        else
            writeFile(target, readFile(file));
    }
}

// A file or folder whose name is given as raw bytes (a name in a code page).
void writeRaw(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

// Removes a folder whose names Qt cannot give back to the system (bytes
// that are no UTF-8).
void removeRaw(const QString &folder)
{
    ::nftw(
        QFile::encodeName(folder).constData(),
        [](const char *path, const struct stat *, int, struct FTW *) {
            ::remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

// The names of a folder's entries as the bytes on disk.
QList<QByteArray> rawNames(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Runs a program to its end in `locale`; its exit code, or -1 when it could
// not run.
int run(const QString &program, const QStringList &arguments, const QString &folder,
        const QString &locale)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

// Adds an imported library to the list, as the program's list window does.
void list(const QString &library)
{
    ListCopy copy;
    ASSERT_TRUE(readList(DbPath::listFile(), copy));
    ASSERT_EQ(editList(DbPath::listFile(), copy,
                       [&](QStringList &entries) { return appendMissing(entries, {library}); }),
              ListEdit::Written);
}

QByteArray rtf(const QString &text)
{
    return "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}"
           "\\pard\\f0\\fs20 " +
           encode1250(text) + "\\par\r\n}\r\n";
}

// ---------------------------------------------------------------------------

TEST(LibraryPackage, EverySampleLibraryGoesOutAndBackByteForByte)
{
    QTemporaryDir zips;
    ASSERT_TRUE(zips.isValid());
    const QStringList libraries = decode1250(readFile(kSample + u"/DataBase/seznam.dat"_qs))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(libraries.size(), 6);
    {
        TestFolder from;
        copyTree(kSample, from.path());
        // What is no part of a library stays out of its zip: a save's
        // temporary file, a link, a FIFO.
        from.write(u"DataBase/Zvířata/.chichotek-Ab12cd"_qs, "half a save");
        ASSERT_EQ(::symlink("../Rodina.da1",
                            QFile::encodeName(from.absolute(u"DataBase/Zvířata/Odkaz.vti"_qs))),
                  0);
        ASSERT_EQ(
            ::mkfifo(QFile::encodeName(from.absolute(u"DataBase/Zvířata/Roura.vti"_qs)), 0644), 0);
        for (const QString &library : libraries) {
            QString error;
            const QString zip = zips.filePath(library + u".zip"_qs);
            ASSERT_TRUE(exportLibrary(library, zip, &error)) << error.toStdString();

            // Names in UTF-8 with the flag, every file of the library, the
            // folder as an entry of its own.
            const QByteArray bytes = readFile(zip);
            QSet<QString> names;
            for (const auto &[name, flags] : centralDirectory(bytes)) {
                const bool ascii =
                    std::all_of(name.begin(), name.end(), [](char c) { return quint8(c) < 0x80; });
                EXPECT_TRUE(ascii || (flags & 0x800)) << name.toStdString();
                names.insert(QString::fromUtf8(name));
            }
            QSet<QString> expected{library + u'/'};
            for (const char *extension : {".da1", ".da2", ".da3", ".da4", ".ico", ".vtp"})
                expected.insert(library + QLatin1String(extension));
            for (const QString &file :
                 QDir(kSample + u"/DataBase/"_qs + library).entryList(QDir::Files))
                expected.insert(library + u'/' + file);
            EXPECT_EQ(names, expected) << library.toStdString();

            // Each file keeps its time (zip times are of two seconds).
            zip_t *archive = zip_open(QFile::encodeName(zip).constData(), ZIP_RDONLY, nullptr);
            ASSERT_NE(archive, nullptr);
            for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
                zip_stat_t st;
                ASSERT_EQ(zip_stat_index(archive, zip_uint64_t(i), 0, &st), 0);
                const QString name = QString::fromUtf8(st.name);
                if (name.endsWith(u'/'))
                    continue;
                struct stat onDisk;
                ASSERT_EQ(
                    ::lstat(QFile::encodeName(from.absolute(u"DataBase/"_qs + name)), &onDisk), 0);
                EXPECT_LE(std::abs(qint64(st.mtime) - qint64(onDisk.st_mtime)), 2)
                    << name.toStdString();
            }
            zip_discard(archive);
        }
        // Info-ZIP's unzip unpacks one with its Czech names.
        QTemporaryDir unpacked;
        ASSERT_EQ(run(u"unzip"_qs, {u"-q"_qs, zips.filePath(u"Zvířata.zip"_qs)}, unpacked.path(),
                      u"C.UTF-8"_qs),
                  0);
        QMap<QString, QByteArray> expected;
        const QMap<QString, QByteArray> sample = tree(kSample + u"/DataBase"_qs);
        for (auto it = sample.begin(); it != sample.end(); ++it) {
            if (it.key().startsWith(u"Zvířata"_qs))
                expected.insert(it.key(), it.value());
        }
        EXPECT_EQ(tree(unpacked.path()), expected);
    }

    // Into an empty program folder, each listed as the list window lists it:
    // the database comes out as the sample's, byte for byte.
    TestFolder to;
    to.makeProgramFolder();
    for (const QString &library : libraries) {
        const QString zip = zips.filePath(library + u".zip"_qs);
        const PackageCheck check = inspectPackage(zip);
        EXPECT_EQ(check.outcome, PackageCheck::Outcome::Ready) << check.message.toStdString();
        EXPECT_EQ(check.library, library);
        QString imported;
        QString error;
        ASSERT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Imported)
            << error.toStdString();
        EXPECT_EQ(imported, library);
        list(imported);
    }
    EXPECT_EQ(tree(to.absolute(u"DataBase"_qs)), tree(kSample + u"/DataBase"_qs));
}

// A library whose names lie on disk in the bytes of a code page, zipped there
// by Info-ZIP, which keeps the bytes and sets no flag, as Windows Explorer
// does with code page 852.
struct HandMade
{
    const char *what;
    QByteArray library; // its name in the bytes of the zip
    QList<std::pair<QByteArray, QString>> jokes;
    const char *folder; // the folder the files lie in inside the zip
};

TEST(LibraryPackage, ZipsMadeByHandOnWindowsImportWithTheirCzechNames)
{
    const QString zvirata = u"Zvířata"_qs;
    const QList<std::pair<QString, QString>> jokes = {
        {u"Papoušek"_qs, u"Papoušek umí česky."_qs},
        {u"Kočka a myš"_qs, u"Myš utíká."_qs},
        {u"Ježek"_qs, u"Ježek v kleci."_qs},
    };
    const HandMade cases[] = {
        {"code page 852",
         "Zv\xA1\xFD"
         "ata",
         {{"Papou\xE7"
           "ek",
           jokes[0].first},
          {"Ko\x9F"
           "ka a my\xE7",
           jokes[1].first},
          {"Je\xA7"
           "ek",
           jokes[2].first}},
         ""},
        {"Windows-1250",
         "Zv\xED\xF8"
         "ata",
         {{"Papou\x9A"
           "ek",
           jokes[0].first},
          {"Ko\xE8"
           "ka a my\x9A",
           jokes[1].first},
          {"Je\x9E"
           "ek",
           jokes[2].first}},
         ""},
        {"UTF-8 in a zipped DataBase",
         zvirata.toUtf8(),
         {{jokes[0].first.toUtf8(), jokes[0].first},
          {jokes[1].first.toUtf8(), jokes[1].first},
          {jokes[2].first.toUtf8(), jokes[2].first}},
         "DataBase/"},
    };
    for (const HandMade &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir source;
        QTemporaryDir zips;
        ASSERT_TRUE(source.isValid() && zips.isValid());
        const auto removeSource = qScopeGuard([&] { removeRaw(source.path()); });
        const QByteArray root = QFile::encodeName(source.path()) + '/' + c.folder;
        if (*c.folder) {
            ASSERT_EQ(::mkdir(root.constData(), 0755), 0);
        }
        const QByteArray base = root + c.library;
        ASSERT_EQ(::mkdir(base.constData(), 0755), 0);
        writeRaw(base + ".da1", ansi(u"Zvířata z celého světa⏎"_qs));
        writeRaw(base + ".da2", "3\r\n");
        writeRaw(base + ".da3", ansi(u"Jana Nováková⏎"_qs));
        writeRaw(base + ".da4", "\r\n");
        writeRaw(base + ".ico", sampleIcon());
        writeRaw(base + ".vtp", ansi(zvirata + u"⏎"_qs));
        QString sez;
        for (const auto &joke : jokes)
            sez += joke.first + u"⏎"_qs;
        writeRaw(base + "/Vtipy.sez", ansi(sez));
        for (int i = 0; i < c.jokes.size(); ++i)
            writeRaw(base + '/' + c.jokes[i].first + ".vti", rtf(jokes[i].second));
        if (*c.folder)
            writeRaw(root + "seznam.dat", ansi(u"Zvířata⏎Jiná⏎"_qs));
        // Info-ZIP in the C locale keeps the bytes of the names as they are.
        const QString zip = zips.filePath(u"hand.zip"_qs);
        ASSERT_EQ(run(u"zip"_qs, {u"-q"_qs, u"-r"_qs, zip, u"."_qs}, source.path(), u"C"_qs), 0);

        TestFolder folder;
        folder.makeProgramFolder();
        const PackageCheck check = inspectPackage(zip);
        ASSERT_EQ(check.outcome, PackageCheck::Outcome::Ready) << check.message.toStdString();
        EXPECT_EQ(check.library, zvirata);
        QString imported;
        QString error;
        ASSERT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Imported)
            << error.toStdString();
        EXPECT_EQ(imported, zvirata);

        // Names on disk in UTF-8, bytes as they were; nothing else unpacked
        // (the zipped DataBase's own list stays out).
        QList<QByteArray> expected{"DataBase", "chichotek.cfg", "pozadi.bmp"};
        EXPECT_EQ(rawNames(folder.path()), expected);
        expected = {"seznam.dat"};
        for (const char *extension : {"", ".da1", ".da2", ".da3", ".da4", ".ico", ".vtp"})
            expected << zvirata.toUtf8() + extension;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rawNames(folder.absolute(u"DataBase"_qs)), expected);
        expected = {"Vtipy.sez"};
        for (const auto &joke : jokes)
            expected << joke.first.toUtf8() + ".vti";
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rawNames(folder.absolute(u"DataBase/Zvířata"_qs)), expected);
        EXPECT_EQ(folder.read(u"DataBase/seznam.dat"_qs), QByteArray(""));
        EXPECT_EQ(folder.read(u"DataBase/Zvířata.vtp"_qs), ansi(u"Zvířata⏎"_qs));
        EXPECT_EQ(folder.read(u"DataBase/Zvířata.da3"_qs), ansi(u"Jana Nováková⏎"_qs));
        EXPECT_EQ(folder.read(u"DataBase/Zvířata.ico"_qs), sampleIcon());
        for (const auto &joke : jokes)
            EXPECT_EQ(folder.read(u"DataBase/Zvířata/"_qs + joke.first + u".vti"_qs),
                      rtf(joke.second));
        const std::optional<QStringList> listed = readList(DbPath::jokeList(zvirata));
        ASSERT_TRUE(listed);
        EXPECT_EQ(listed->size(), 3);
    }
}

// ---------------------------------------------------------------------------

// A library "Zoo" of one joke, as a hostile zip surrounds its entries.
std::vector<RawEntry> zoo()
{
    return {stored("Zoo.vtp", "Zoo\r\n"), stored("Zoo/Vtipy.sez", "Slon\r\n"),
            stored("Zoo/Slon.vti", rtf(u"Slon v lednici."_qs))};
}

std::vector<RawEntry> zooWith(const RawEntry &more)
{
    std::vector<RawEntry> entries = zoo();
    entries.push_back(more);
    return entries;
}

RawEntry withAttributes(RawEntry e, quint32 mode)
{
    e.attributes = mode << 16;
    return e;
}

struct Hostile
{
    const char *what;
    std::function<QByteArray()> zip;
    const char *says;         // what its message says, and no other's
    bool seenBeforeUnpacking; // refused by inspectPackage already
};

TEST(LibraryPackage, HostileZipsAreRefusedAndChangeNothing)
{
    // 50 MB of zeros deflated, about 50 kB: each entry below the joke limit,
    // two hundred of them 10 GB together.
    const QByteArray zeros(50 << 20, '\0');
    const QByteArray bomb = deflated(zeros);
    const quint32 bombCrc = crc32(zeros);
    ASSERT_LT(bomb.size(), 100 << 10);

    const Hostile cases[] = {
        {"zip slip", [] { return makeZip(zooWith(stored("Zoo/../../../evil.vti", "x"))); }, "„..“",
         true},
        {"absolute path", [] { return makeZip(zooWith(stored("/tmp/chichotek-evil.vti", "x"))); },
         "„/tmp/chichotek-evil.vti“ s absolutní cestou", true},
        {"_qsdrive letter", [] { return makeZip(zooWith(stored("C:\\Windows\\evil.vti", "x"))); },
         "„C:/Windows/evil.vti“ s absolutní", true},
        {"symlink",
         [] {
             return makeZip(
                 zooWith(withAttributes(stored("Zoo/Odkaz.vti", "/etc/passwd"), S_IFLNK | 0777)));
         },
         "symbolickým odkazem", true},
        {"fifo",
         [] {
             return makeZip(zooWith(withAttributes(stored("Zoo/Roura.vti", ""), S_IFIFO | 0644)));
         },
         "„Zoo/Roura.vti“, která není obyčejný soubor", true},
        {"device",
         [] {
             return makeZip(zooWith(withAttributes(stored("Zoo/Disk.vti", ""), S_IFBLK | 0644)));
         },
         "„Zoo/Disk.vti“, která není obyčejný soubor", true},
        {"same name twice", [] { return makeZip(zooWith(stored("Zoo/Slon.vti", "x"))); },
         "„Zoo/Slon.vti“ a „Zoo/Slon.vti“", true},
        {"same name in other letter case",
         [] { return makeZip(zooWith(stored("zoo/SLON.vti", "x"))); },
         "„Zoo/Slon.vti“ a „zoo/SLON.vti“", true},
        {"device name", [] { return makeZip(zooWith(stored("Zoo/CON.vti", "x"))); },
         "název „CON.vti“, který systém Windows", true},
        {"colon", [] { return makeZip(zooWith(stored("Zoo/a:b.vti", "x"))); },
         "název „a:b.vti“, který systém Windows", true},
        {"two libraries", [] { return makeZip(zooWith(stored("Les.vtp", "Les\r\n"))); },
         "více knihoven", true},
        {"no library", [] { return makeZip({stored("Zoo/Vtipy.sez", "Slon\r\n")}); },
         "žádnou knihovnu", true},
        {"_qsno joke list", [] { return makeZip({stored("Zoo.vtp", "Zoo\r\n")}); },
         "nemá seznam vtipů", true},
        {"truncated",
         [] {
             const QByteArray whole = makeZip(zoo());
             return whole.left(whole.size() - 30);
         },
         "poškozený nebo neúplný", true},
        {"encrypted",
         [] {
             RawEntry e = stored("Zoo/Tajný.vti", QByteArray(20, 'x'));
             e.flags = 1 | 0x800;
             return makeZip(zooWith(e));
         },
         "zašifrovaná", true},
        {"joke over its limit",
         [] {
             RawEntry e = stored("Zoo/Obr.vti", "x");
             e.size = quint32(kJokeLimit + 1);
             return makeZip(zooWith(e));
         },
         "„Zoo/Obr.vti“ v souboru zip je příliš velký", true},
        {"icon over its limit",
         [] {
             RawEntry e = stored("Zoo.ico", "x");
             e.size = quint32(kIconLimit + 1);
             return makeZip(zooWith(e));
         },
         "„Zoo.ico“ v souboru zip je příliš velký", true},
        {"10 GB bomb",
         [&] {
             std::vector<RawEntry> entries = zoo();
             for (int i = 0; i < 205; ++i) {
                 RawEntry e;
                 e.name = "Zoo/Vtip " + QByteArray::number(i) + ".vti";
                 e.data = bomb;
                 e.method = 8;
                 e.crc = bombCrc;
                 e.size = quint32(zeros.size());
                 entries.push_back(e);
             }
             return makeZip(entries);
         },
         "po rozbalení příliš velká", true},
        {"bomb hiding its size",
         [&] {
             RawEntry e;
             e.name = "Zoo/Malý.vti";
             e.flags = 0x800;
             e.data = bomb;
             e.method = 8;
             e.crc = bombCrc;
             e.size = 1000;
             return makeZip(zooWith(e));
         },
         "víc dat, než udává", false},
        {"damaged joke",
         [] {
             RawEntry e = stored("Zoo/Kos.vti", rtf(u"Kos"_qs));
             e.crc ^= 1;
             return makeZip(zooWith(e));
         },
         "kontrolní součet", false},
    };

    QTemporaryDir zips;
    ASSERT_TRUE(zips.isValid());
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Les"_qs, {u"Srnka"_qs, u"Liška"_qs});
    const QMap<QString, QByteArray> before = folder.snapshot();
    const QString beside = QFileInfo(folder.path()).absolutePath() + u"/evil.vti"_qs;
    ASSERT_FALSE(QFileInfo::exists(beside));
    ASSERT_FALSE(QFileInfo::exists(u"/tmp/chichotek-evil.vti"_qs));

    // The zips differ from the plain library only in what makes them hostile.
    writeFile(zips.filePath(u"plain.zip"_qs), makeZip(zoo()));
    ASSERT_EQ(inspectPackage(zips.filePath(u"plain.zip"_qs)).outcome, PackageCheck::Outcome::Ready);

    QStringList messages;
    for (const Hostile &c : cases) {
        SCOPED_TRACE(c.what);
        const QString zip = zips.filePath(QString::fromLatin1(c.what) + u".zip"_qs);
        writeFile(zip, c.zip());
        const PackageCheck check = inspectPackage(zip);
        EXPECT_EQ(check.outcome, c.seenBeforeUnpacking ? PackageCheck::Outcome::Refused
                                                       : PackageCheck::Outcome::Ready)
            << check.message.toStdString();
        QString imported;
        QString error;
        EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Refused);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        if (c.seenBeforeUnpacking) {
            EXPECT_EQ(check.message, error);
        }
        EXPECT_TRUE(imported.isEmpty());
        messages << error;
        EXPECT_EQ(folder.snapshot(), before);
    }
    // Each refusal says its own reason.
    for (const Hostile &c : cases) {
        const QString says = QString::fromUtf8(c.says);
        EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                                [&](const QString &m) { return m.contains(says); }),
                  1)
            << c.what;
    }
    // Nothing appeared beside the program folder either.
    EXPECT_FALSE(QFileInfo::exists(beside));
    EXPECT_FALSE(QFileInfo::exists(u"/tmp/chichotek-evil.vti"_qs));
}

// ---------------------------------------------------------------------------

TEST(LibraryPackage, FailuresLeaveNothingBehindAndTakenNamesAreKept)
{
    QTemporaryDir zips;
    ASSERT_TRUE(zips.isValid());
    const QString zip = zips.filePath(u"zoo.zip"_qs);
    QMap<QString, QByteArray> zooFiles;
    {
        TestFolder from;
        from.makeProgramFolder();
        from.makeLibrary(u"Zoo"_qs, {u"Slon"_qs, u"Žirafa"_qs, u"Opice"_qs});
        QString error;
        ASSERT_TRUE(exportLibrary(u"Zoo"_qs, zip, &error)) << error.toStdString();
        zooFiles = from.snapshot();
        zooFiles.remove(u"DataBase/seznam.dat"_qs);
    }
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Les"_qs, {u"Srnka"_qs});
    const QMap<QString, QByteArray> before = folder.snapshot();
    QString imported;
    QString error;

    // Every step of a save failing, at the first file written.
    for (const SaveStep step :
         {SaveStep::Open, SaveStep::Write, SaveStep::Sync, SaveStep::Flush, SaveStep::Rename}) {
        SCOPED_TRACE(int(step));
        store::testing::setSaveFault(step);
        EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Failed);
        store::testing::setSaveFault(std::nullopt);
        EXPECT_TRUE(error.contains(u"místo"_qs)) << error.toStdString();
        EXPECT_EQ(folder.snapshot(), before);
    }

    // A file of the name appearing while the files are renamed into place:
    // those renamed already go back.
    const QByteArray planted = "planted by another program";
    setChangeListener([&](const DbPath &path) {
        if (path.display() == u"DataBase\\Zoo.da1"_qs)
            folder.write(u"DataBase/Zoo.vtp"_qs, planted);
    });
    EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Failed);
    setChangeListener({});
    QMap<QString, QByteArray> expected = before;
    expected.insert(u"DataBase/Zoo.vtp"_qs, planted);
    EXPECT_EQ(folder.snapshot(), expected);

    // A name that exists in any letter case is taken: nothing is written.
    EXPECT_EQ(libraryNameProblem(u"Zoo"_qs), u"Databáze již existuje!!!"_qs);
    EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::NameTaken);
    EXPECT_TRUE(error.contains(u"„Zoo“"_qs)) << error.toStdString();
    ASSERT_TRUE(QFile::remove(folder.absolute(u"DataBase/Zoo.vtp"_qs)));
    folder.mkdir(u"DataBase/zOO"_qs);
    EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::NameTaken);
    ASSERT_TRUE(QDir(folder.absolute(u"DataBase/zOO"_qs)).removeRecursively());
    EXPECT_EQ(folder.snapshot(), before);

    // Not in a database only read.
    setReadOnly(true);
    EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Refused);
    setReadOnly(false);
    EXPECT_EQ(folder.snapshot(), before);

    // In it goes, once; then under another name, its marker naming it.
    ASSERT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::Imported)
        << error.toStdString();
    EXPECT_EQ(imported, u"Zoo"_qs);
    EXPECT_EQ(importLibrary(zip, QString(), &imported, &error), ImportOutcome::NameTaken);
    EXPECT_EQ(importLibrary(zip, u"CON"_qs, &imported, &error), ImportOutcome::Refused);
    ASSERT_EQ(importLibrary(zip, u"Zoo z Prahy"_qs, &imported, &error), ImportOutcome::Imported)
        << error.toStdString();
    EXPECT_EQ(imported, u"Zoo z Prahy"_qs);
    expected = before;
    for (auto it = zooFiles.begin(); it != zooFiles.end(); ++it) {
        if (!before.contains(it.key())) {
            expected.insert(it.key(), it.value());
            QString renamed = it.key();
            renamed.replace(u"DataBase/Zoo"_qs, u"DataBase/Zoo z Prahy"_qs);
            expected.insert(renamed, it.value());
        }
    }
    expected.insert(u"DataBase/Zoo z Prahy.vtp"_qs, ansi(u"Zoo z Prahy⏎"_qs));
    EXPECT_EQ(folder.snapshot(), expected);
    // (The caller lists it; the import does not.)
    EXPECT_EQ(folder.read(u"DataBase/seznam.dat"_qs), ansi(u"Les⏎"_qs));

    // The names the new-library wizard refuses.
    EXPECT_EQ(libraryNameProblem(QString()), u"Musíte zadat název knihovny!!!"_qs);
    EXPECT_EQ(libraryNameProblem(u"zoo z prahy"_qs), u"Databáze již existuje!!!"_qs);
    EXPECT_EQ(libraryNameProblem(u"LPT1"_qs), refusedNameError(DbPath::libraryFolder(u"LPT1"_qs)));
    EXPECT_EQ(libraryNameProblem(u"Ptáci"_qs), QString());

    // An import cut short by a crash leaves its temporary folder, which the
    // next start removes whole, never following a link out of it.
    folder.write(u"DataBase/.chichotek-Xy12ab/Zoo/Slon.vti"_qs, "half");
    folder.write(u"outside.txt"_qs, "kept");
    ASSERT_EQ(
        ::symlink(
            QFile::encodeName(folder.absolute(u"outside.txt"_qs)).constData(),
            QFile::encodeName(folder.absolute(u"DataBase/.chichotek-Xy12ab/link"_qs)).constData()),
        0);
    EXPECT_GE(removeLeftovers(), 1);
    expected.insert(u"outside.txt"_qs, "kept");
    EXPECT_EQ(folder.snapshot(), expected);
}

} // namespace
