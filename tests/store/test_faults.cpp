// The files of the database under faults and hostile files: every save
// failing at each of its steps, a really full disk, links and special files
// planted in the database, leftovers of cut saves, hidden data after a NUL,
// and a database only read.

#include "store/files.h"
#include "store/rtfwriter.h"
#include "store/settings.h"
#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace store;

namespace {

DbPath file(const QString &library, const char *extension)
{
    return DbPath::libraryFile(library, QString::fromLatin1(extension));
}

// A program folder with one library "Zoo" of one joke, and a file exported
// before, each holding old bytes that a failed save must leave as they are.
void makeOldFiles(const TestFolder &folder)
{
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs}, 1);
    folder.write(u"DataBase/seznam.dat"_qs, ansi(u"Zoo⏎Starý⏎"_qs));
    folder.write(u"DataBase/Zoo.ico"_qs, "old icon bytes");
    folder.write(u"vtip.txt"_qs, "starý vtip");
}

// Every way the program writes a file, each with the file it writes.
struct Writer
{
    const char *name;
    const char *shown; // what the error names
    std::function<bool(const TestFolder &, QString *)> write;
};

const Writer kWriters[] = {
    {"List", "seznam.dat",
     [](const TestFolder &, QString *e) { return writeList(DbPath::listFile(), {u"Nový"_qs}, e); }},
    {"Text", "Zoo.da1",
     [](const TestFolder &, QString *e) {
         return writeText(file(u"Zoo"_qs, ".da1"), u"nový"_qs, e);
     }},
    {"RichText", "Slon.vti",
     [](const TestFolder &, QString *e) {
         QTextDocument doc;
         doc.setPlainText(u"Nový vtip o slonovi."_qs);
         return writeRichText(DbPath::jokeFile(u"Zoo"_qs, u"Slon"_qs), doc, e);
     }},
    {"Icon", "Zoo.ico",
     [](const TestFolder &, QString *e) {
         return writeIcon(file(u"Zoo"_qs, ".ico"), iconFromBytes(sampleIcon()), e);
     }},
    {"Settings", "chichotek.cfg",
     [](const TestFolder &, QString *e) {
         return writeList(settingsFile(), settingsLines(SettingsFlags{}), e);
     }},
    {"Background", "pozadi.bmp",
     [](const TestFolder &, QString *e) {
         QImage picture(4, 4, QImage::Format_RGB32);
         picture.fill(Qt::darkGreen);
         return writeBackground(picture, Qt::white, e);
     }},
    {"Exported", "vtip.txt",
     [](const TestFolder &f, QString *e) {
         return writeExternal(f.absolute(u"vtip.txt"_qs), "nový vtip", e);
     }},
    {"ExportedInPieces", "vtip.txt",
     [](const TestFolder &f, QString *e) {
         return writeExternal(
             f.absolute(u"vtip.txt"_qs),
             [](const std::function<void(QByteArrayView)> &write) {
                 for (const char *piece : {"nový ", "", "vtip ", "po kouscích"})
                     write(piece);
             },
             e);
     }},
};

// A file written as it is made: the pieces one after another, and a disk that
// fails in the middle of them keeps the old file whole and takes none of the
// later pieces.
TEST(PiecewiseSave, WritesThePiecesInTurnOrNothing)
{
    TestFolder folder;
    folder.write(u"out.html"_qs, "starý");
    const QString path = folder.absolute(u"out.html"_qs);
    const auto pieces = [](const std::function<void(QByteArrayView)> &write) {
        for (int i = 0; i < 1000; ++i)
            write(QByteArray::number(i) + ' ');
    };
    QByteArray expected;
    for (int i = 0; i < 1000; ++i)
        expected += QByteArray::number(i) + ' ';

    store::testing::setWriteLimit(100);
    QString error;
    EXPECT_FALSE(writeExternal(path, pieces, &error));
    store::testing::setWriteLimit(-1);
    EXPECT_TRUE(error.contains(u"Na disku není místo"_qs)) << error.toStdString();
    EXPECT_EQ(folder.read(u"out.html"_qs), "starý");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"out.html"_qs});

    EXPECT_TRUE(writeExternal(path, pieces, &error)) << error.toStdString();
    EXPECT_EQ(folder.read(u"out.html"_qs), expected);
}

const SaveStep kSteps[] = {SaveStep::Open, SaveStep::Write, SaveStep::Sync, SaveStep::Flush,
                           SaveStep::Rename};
const char *const kStepNames[] = {"Open", "Write", "Sync", "Flush", "Rename"};

class SaveFault : public ::testing::TestWithParam<std::tuple<int, int>>
{
protected:
    void TearDown() override { store::testing::setSaveFault(std::nullopt); }
};

// Each write of the program failing at each step of its save: the old bytes
// stay byte for byte, no temporary file is left, and the error names the
// file and says why.
TEST_P(SaveFault, LeavesTheOldBytesAndNoTemporaryFileAndSaysWhy)
{
    const Writer &writer = kWriters[std::get<0>(GetParam())];
    const SaveStep step = kSteps[std::get<1>(GetParam())];
    TestFolder folder;
    makeOldFiles(folder);
    const auto before = folder.snapshot();

    store::testing::setSaveFault(step, ENOSPC);
    QString error;
    EXPECT_FALSE(writer.write(folder, &error));
    store::testing::setSaveFault(std::nullopt);
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_TRUE(error.contains(QString::fromUtf8(writer.shown))) << error.toStdString();
    EXPECT_TRUE(error.contains(u"Na disku není místo"_qs)) << error.toStdString();

    // Without the fault the same write goes through.
    EXPECT_TRUE(writer.write(folder, &error)) << error.toStdString();
    EXPECT_NE(folder.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(EveryWriteAtEveryStep, SaveFault,
                         ::testing::Combine(::testing::Range(0, int(std::size(kWriters))),
                                            ::testing::Range(0, int(std::size(kSteps)))),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>> &info) {
                             return std::string(kWriters[std::get<0>(info.param)].name) + "_" +
                                    kStepNames[std::get<1>(info.param)];
                         });

// A small file system of its own, filled to the last byte; only root may
// mount one, so elsewhere the test is skipped (the injected faults above
// still run).
class FullDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_disk = folder.absolute(u"disk"_qs);
        folder.mkdir(u"disk"_qs);
        if (::geteuid() != 0 ||
            ::mount("tmpfs", QFile::encodeName(m_disk).constData(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "no small file system can be mounted here";
        m_mounted = true;
        QDir::setCurrent(m_disk);
    }

    void TearDown() override
    {
        QDir::setCurrent(folder.path());
        if (m_mounted)
            ::umount2(QFile::encodeName(m_disk).constData(), MNT_DETACH);
    }

    // Writes one file until the disk takes no more.
    static void fill()
    {
        QFile filler(u"filler"_qs);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        // The last partial block too.
        while (filler.write("x", 1) == 1) {
        }
    }

    TestFolder folder;
    QString m_disk;
    bool m_mounted = false;
};

TEST_F(FullDisk, EveryWriteFailsKeepsTheOldBytesAndSaysTheDiskIsFull)
{
    // The program's files on the small disk, written while there is room.
    QDir().mkpath(u"DataBase/Zoo"_qs);
    const auto put = [](const QString &name, const QByteArray &bytes) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    };
    put(u"DataBase/seznam.dat"_qs, ansi(u"Zoo⏎Starý⏎"_qs));
    put(u"DataBase/Zoo.da1"_qs, "popis");
    put(u"DataBase/Zoo.ico"_qs, "old icon bytes");
    put(u"DataBase/Zoo/Slon.vti"_qs, "starý vtip");
    put(u"chichotek.cfg"_qs, "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    put(u"pozadi.bmp"_qs, "BM old");
    put(u"vtip.txt"_qs, "starý vtip");
    fill();

    const auto bytesOf = [](const QString &name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    const QStringList files{u"DataBase/seznam.dat"_qs,
                            u"DataBase/Zoo.da1"_qs,
                            u"DataBase/Zoo.ico"_qs,
                            u"DataBase/Zoo/Slon.vti"_qs,
                            u"chichotek.cfg"_qs,
                            u"pozadi.bmp"_qs,
                            u"vtip.txt"_qs};
    QList<QByteArray> before;
    for (const QString &name : files)
        before << bytesOf(name);
    const QStringList entries = QDir(u"."_qs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    for (const Writer &writer : kWriters) {
        SCOPED_TRACE(writer.name);
        QString error;
        // The exported file lies in the folder of the disk.
        const std::string name = writer.name;
        const QString exported = m_disk + u"/vtip.txt"_qs;
        const auto pieces = [](const std::function<void(QByteArrayView)> &write) {
            write("nový ");
            write("vtip");
        };
        const bool written = name == "Exported" ? writeExternal(exported, "nový vtip", &error)
                             : name == "ExportedInPieces" ? writeExternal(exported, pieces, &error)
                                                          : writer.write(folder, &error);
        EXPECT_FALSE(written);
        EXPECT_TRUE(error.contains(u"Na disku není místo"_qs)) << error.toStdString();
    }
    for (qsizetype i = 0; i < files.size(); ++i)
        EXPECT_EQ(bytesOf(files[i]), before[i]) << files[i].toStdString();
    EXPECT_EQ(QDir(u"."_qs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
    EXPECT_EQ(QDir(u"DataBase"_qs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4)
        << "no temporary file is left";
}

// Links planted in the database lead nowhere: a joke or a library folder
// that is a link is a file that cannot be opened, and nothing outside is
// read, written, trashed or deleted. The database folder itself may be a
// link (a database kept on another disk).
TEST(Links, LeadNowhereOutsideTheDatabase)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs}, 1);
    folder.write(u"outside/secret.txt"_qs, "tajné");
    folder.write(u"outside/Vtipy.sez"_qs, "Cizí\r\n");
    folder.write(u"outside/Cizí.vti"_qs, "cizí vtip");
    ASSERT_TRUE(QFile::link(folder.absolute(u"outside/secret.txt"_qs),
                            folder.absolute(u"DataBase/Zoo/Pes.vti"_qs)));
    ASSERT_TRUE(QFile::link(folder.absolute(u"outside"_qs), folder.absolute(u"DataBase/Cizí"_qs)));
    ASSERT_TRUE(QFile::link(folder.absolute(u"outside/nothing.vti"_qs),
                            folder.absolute(u"DataBase/Zoo/Nic.vti"_qs)));
    const auto before = folder.snapshot();

    QTextDocument doc;
    QString error;
    const DbPath linkedJoke = DbPath::jokeFile(u"Zoo"_qs, u"Pes"_qs);
    EXPECT_FALSE(readRichText(linkedJoke, &doc, &error));
    EXPECT_TRUE(error.contains(u"Pes.vti"_qs)) << error.toStdString();
    EXPECT_FALSE(writeRichText(linkedJoke, doc, &error));
    EXPECT_FALSE(deleteFile(linkedJoke));
    EXPECT_FALSE(writeText(DbPath::jokeFile(u"Zoo"_qs, u"Nic"_qs), u"x"_qs)) << "a dangling link";
    EXPECT_FALSE(readList(DbPath::jokeList(u"Cizí"_qs)).has_value());
    EXPECT_FALSE(writeList(DbPath::jokeList(u"Cizí"_qs), {u"x"_qs}));
    EXPECT_FALSE(readRichText(DbPath::jokeFile(u"Cizí"_qs, u"Cizí"_qs), &doc));
    EXPECT_FALSE(folderEntries(DbPath::libraryFolder(u"Cizí"_qs)).has_value());
    EXPECT_FALSE(removeFolder(DbPath::libraryFolder(u"Cizí"_qs)));
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_EQ(folderEntries(DbPath::libraryFolder(u"Zoo"_qs))->size(), 4);

    // The database folder itself a link: everything works through it.
    ASSERT_TRUE(QDir(folder.path()).rename(u"DataBase"_qs, u"elsewhere"_qs));
    ASSERT_TRUE(QFile::link(folder.absolute(u"elsewhere"_qs), folder.absolute(u"DataBase"_qs)));
    EXPECT_EQ(readList(DbPath::jokeList(u"Zoo"_qs)), QStringList{u"Slon"_qs});
    EXPECT_TRUE(writeList(DbPath::jokeList(u"Zoo"_qs), {u"Slon"_qs, u"Pes"_qs}));
    EXPECT_EQ(folder.read(u"elsewhere/Zoo/Vtipy.sez"_qs), "Slon\r\nPes\r\n");
}

// Only regular files are opened, without waiting, and none past its kind's
// limit: a FIFO, a device or a huge file is a file that cannot be read.
TEST(SpecialFiles, AreNotReadAndHoldNothing)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs}, 1);
    QFile::remove(folder.absolute(u"DataBase/Zoo.da1"_qs));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(folder.absolute(u"DataBase/Zoo.da1"_qs)).constData(), 0644), 0);
    QString error;
    EXPECT_FALSE(readText(file(u"Zoo"_qs, ".da1"), &error).has_value());
    EXPECT_TRUE(error.contains(u"Zoo.da1"_qs)) << error.toStdString();
    EXPECT_FALSE(writeText(file(u"Zoo"_qs, ".da1"), u"popis"_qs));
    EXPECT_FALSE(readExternal(u"/dev/zero"_qs, kTextLimit).has_value());
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, folder.absolute(u"DataBase/Zoo/Nula.vti"_qs)));
    QTextDocument doc;
    EXPECT_FALSE(readRichText(DbPath::jokeFile(u"Zoo"_qs, u"Nula"_qs), &doc));

    // One byte past each limit; the files are sparse.
    const std::pair<const char *, qint64> limits[] = {{"DataBase/Zoo.da3", kTextLimit},
                                                      {"DataBase/Zoo/Vtipy.sez", kTextLimit},
                                                      {"DataBase/Zoo.ico", kIconLimit},
                                                      {"DataBase/Zoo/Slon.vti", kJokeLimit}};
    for (const auto &[name, limit] : limits) {
        QFile big(folder.absolute(QString::fromLatin1(name)));
        ASSERT_TRUE(big.resize(limit + 1));
    }
    EXPECT_FALSE(readText(file(u"Zoo"_qs, ".da3"), &error).has_value());
    EXPECT_TRUE(error.contains(u"příliš velký"_qs)) << error.toStdString();
    EXPECT_FALSE(readList(DbPath::jokeList(u"Zoo"_qs)).has_value());
    EXPECT_FALSE(readIcon(file(u"Zoo"_qs, ".ico")).has_value());
    EXPECT_FALSE(readRichText(DbPath::jokeFile(u"Zoo"_qs, u"Slon"_qs), &doc));
    QFile(folder.absolute(u"DataBase/Zoo/Slon.vti"_qs)).resize(kJokeLimit);
    EXPECT_TRUE(readRichText(DbPath::jokeFile(u"Zoo"_qs, u"Slon"_qs), &doc)) << "at the limit";
}

// A file outside the database mapped, not read: the same files are refused
// with the same words as by readExternal(), and what is mapped is the file's
// bytes for as long as the mapping lives.
TEST(SpecialFiles, AreNotMappedEither)
{
    TestFolder folder;
    folder.write(u"joke.rtf"_qs, "{\\rtf1 vtip}");
    folder.write(u"empty.rtf"_qs, "");
    folder.write(u"big.rtf"_qs, "");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.absolute(u"fifo"_qs)).constData(), 0644), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder"_qs));
    QFile big(folder.absolute(u"big.rtf"_qs));
    ASSERT_TRUE(big.resize(kJokeLimit + 1)); // sparse
    ASSERT_TRUE(QFile::link(folder.absolute(u"joke.rtf"_qs), folder.absolute(u"link.rtf"_qs)));

    std::optional<MappedFile> joke = mapExternal(folder.absolute(u"joke.rtf"_qs), kJokeLimit);
    ASSERT_TRUE(joke.has_value());
    EXPECT_EQ(joke->bytes(), "{\\rtf1 vtip}");
    // The mapping moves with its owner and is its file's bytes after.
    MappedFile moved = std::move(*joke);
    joke.reset();
    EXPECT_EQ(moved.bytes(), "{\\rtf1 vtip}");
    // Pages given back come back as they were.
    moved.dropPages();
    EXPECT_EQ(moved.bytes(), "{\\rtf1 vtip}");
    EXPECT_TRUE(mapExternal(folder.absolute(u"empty.rtf"_qs), kJokeLimit)->bytes().isEmpty());
    // An outside file may be reached through a link, as readExternal() reads it.
    EXPECT_EQ(mapExternal(folder.absolute(u"link.rtf"_qs), kJokeLimit)->bytes(), "{\\rtf1 vtip}");

    for (const QString &name : {u"fifo"_qs, u"folder"_qs, u"big.rtf"_qs, u"missing.rtf"_qs}) {
        QString mapError;
        QString readError;
        EXPECT_FALSE(mapExternal(folder.absolute(name), kJokeLimit, &mapError).has_value())
            << name.toStdString();
        EXPECT_FALSE(readExternal(folder.absolute(name), kJokeLimit, &readError).has_value());
        EXPECT_FALSE(mapError.isEmpty());
        EXPECT_EQ(mapError, readError);
    }
    EXPECT_FALSE(mapExternal(u"/dev/zero"_qs, kJokeLimit).has_value());

    // Nor is anything but a regular file replaced by a save: the FIFO and
    // the folder stay, and no temporary file is left beside them.
    const auto before = folder.snapshot();
    for (const QString &name : {u"fifo"_qs, u"folder"_qs}) {
        QString error;
        EXPECT_FALSE(writeExternal(folder.absolute(name), "x", &error)) << name.toStdString();
        EXPECT_TRUE(error.contains(u"není to obyčejný soubor"_qs)) << error.toStdString();
    }
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_TRUE(QFileInfo(folder.absolute(u"fifo"_qs)).exists());
    EXPECT_FALSE(QFileInfo(folder.absolute(u"fifo"_qs)).isFile());
}

// What cut saves leave (the program's temporary files, ".chichotek-" and six
// letters or digits) goes at the next start; nothing else does, however much
// it looks like a copy, nor anything outside the database's folders.
TEST(Leftovers, OfCutSavesGoAndNothingElse)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs}, 1);
    const QStringList leftovers{u"DataBase/.chichotek-Ab12Cd"_qs,
                                u"DataBase/Zoo/.chichotek-x1y2z3"_qs, u".chichotek-000000"_qs};
    const QStringList kept{u"DataBase/notes.txt.abcdef"_qs,     u"DataBase/seznam.dat.Ab12Cd"_qs,
                           u"DataBase/Zoo/Slon.vti.x1y2z3"_qs,  u"DataBase/Zoo.da1.kopie1"_qs,
                           u"DataBase/.chichotek-abc"_qs,       u"other/.chichotek-abcdef"_qs,
                           u"DataBase/Zoo/Vtipy.sez.backup"_qs, u"chichotek.cfg.000000"_qs};
    for (const QString &name : leftovers + kept)
        folder.write(name, "x");
    ASSERT_TRUE(QFile::link(folder.absolute(u"other"_qs), folder.absolute(u"DataBase/Odkaz"_qs)));
    EXPECT_EQ(removeLeftovers(), leftovers.size());
    for (const QString &name : leftovers)
        EXPECT_FALSE(folder.exists(name)) << name.toStdString();
    for (const QString &name : kept)
        EXPECT_TRUE(folder.exists(name)) << name.toStdString();
    EXPECT_TRUE(folder.exists(u"DataBase/Zoo/Slon.vti"_qs));
}

// A list or text file shows what comes before a NUL byte; one that holds
// more after it is not overwritten, so nothing the user cannot see is lost.
TEST(HiddenData, AfterANulIsNeverOverwritten)
{
    TestFolder folder;
    folder.makeProgramFolder();
    const QByteArray damaged = QByteArray("Zoo\r\nKlasika\r\n\0Skryta\r\n", 23);
    folder.write(u"DataBase/seznam.dat"_qs, damaged);
    folder.write(u"DataBase/Zoo.da1"_qs, QByteArray("popis\0skryto", 12));
    EXPECT_EQ(readList(DbPath::listFile()), (QStringList{u"Zoo"_qs, u"Klasika"_qs}));
    QString error;
    EXPECT_FALSE(writeList(DbPath::listFile(), {u"Klasika"_qs, u"Zoo"_qs}, &error));
    EXPECT_TRUE(error.contains(u"seznam.dat"_qs) && error.contains(u"poškozený"_qs))
        << error.toStdString();
    EXPECT_FALSE(appendLine(DbPath::listFile(), u"Nová"_qs));
    EXPECT_FALSE(writeText(file(u"Zoo"_qs, ".da1"), u"nový popis"_qs));
    EXPECT_EQ(folder.read(u"DataBase/seznam.dat"_qs), damaged);
    EXPECT_EQ(folder.read(u"DataBase/Zoo.da1"_qs), QByteArray("popis\0skryto", 12));

    // NULs alone after the text hide nothing.
    folder.write(u"DataBase/seznam.dat"_qs, QByteArray("Zoo\r\n\0\0", 7));
    EXPECT_TRUE(writeList(DbPath::listFile(), {u"Zoo"_qs, u"Nová"_qs}));
}

// A database only read: no write, deletion, new folder or trashing of it;
// files outside it (a joke saved by the user) are still written.
TEST(ReadOnly, DatabaseIsNotChanged)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs}, 1);
    const auto before = folder.snapshot();
    setReadOnly(true);
    QString error;
    EXPECT_FALSE(writeList(DbPath::listFile(), {u"x"_qs}, &error));
    EXPECT_TRUE(error.contains(u"jen pro čtení"_qs)) << error.toStdString();
    EXPECT_FALSE(writeText(file(u"Zoo"_qs, ".da1"), u"x"_qs));
    EXPECT_FALSE(deleteFile(file(u"Zoo"_qs, ".da1")));
    EXPECT_FALSE(createLibraryFolder(u"Nová"_qs));
    EXPECT_FALSE(folderEntries(DbPath::libraryFolder(u"Zoo"_qs)).has_value());
    EXPECT_FALSE(writeList(settingsFile(), {u"0"_qs}));
    EXPECT_EQ(removeLeftovers(), 0);
    EXPECT_EQ(folder.snapshot(), before);
    EXPECT_TRUE(writeExternal(folder.absolute(u"vtip.txt"_qs), "vtip"));
    setReadOnly(false);
    EXPECT_TRUE(writeText(file(u"Zoo"_qs, ".da1"), u"x"_qs));
}

} // namespace
