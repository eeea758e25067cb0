#include "store/files.h"
#include "store/paths.h"
#include "support/testfolder.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace store;

namespace {

const QString kZvirata = u"Zvířata"_qs;
const QString kList = u"DataBase/seznam.dat"_qs;

DbPath file(const QString &library, const char *extension)
{
    return DbPath::libraryFile(library, QString::fromLatin1(extension));
}

// An icon file of square PNG images of the given sizes, as icon files hold
// their large images.
QByteArray pngIcon(const QList<int> &sizes)
{
    QByteArray header;
    QByteArray images;
    auto u16 = [&header](int v) {
        header.append(char(v & 0xFF));
        header.append(char((v >> 8) & 0xFF));
    };
    u16(0);
    u16(1);
    u16(int(sizes.size()));
    for (int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        // Width and height of the entry, 0 for 256 and more.
        header.append(char(size < 256 ? size : 0));
        header.append(char(size < 256 ? size : 0));
        header.append(char(0));
        header.append(char(0));
        u16(1);
        u16(32);
        u16(int(png.size() & 0xFFFF));
        u16(int(png.size() >> 16));
        const int offset = 6 + 16 * int(sizes.size()) + int(images.size());
        u16(offset & 0xFFFF);
        u16(offset >> 16);
        images += png;
    }
    return header + images;
}

} // namespace

// The example database of two libraries, written through the store, is the
// same byte for byte as the home platform writes it.
TEST(DatabaseBytes, WorkedExampleIsWrittenByteForByte)
{
    TestFolder folder;
    folder.mkdir(u"DataBase"_qs);
    ASSERT_TRUE(writeList(DbPath::listFile(), {u"Klasika"_qs, kZvirata}));
    ASSERT_TRUE(createLibraryFolder(kZvirata));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"), u"Vtipy o zvířatech.\r\nPro malé i velké."_qs));
    ASSERT_TRUE(writeList(file(kZvirata, ".da2"), {u"2"_qs}));
    ASSERT_TRUE(writeText(file(kZvirata, ".da3"), u"Kroužek humoru"_qs));
    ASSERT_TRUE(writeList(file(kZvirata, ".da4"), {QString()}));
    ASSERT_TRUE(writeList(file(kZvirata, ".vtp"), {kZvirata}));
    ASSERT_TRUE(writeList(DbPath::jokeList(kZvirata), {u"Slon"_qs, u"Žirafa"_qs}));

    EXPECT_EQ(folder.read(kList), ansi(u"Klasika⏎Zvířata⏎"_qs));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da1"_qs),
              ansi(u"Vtipy o zvířatech.⏎Pro malé i velké."_qs));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da2"_qs), QByteArray("2\r\n"));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da3"_qs), ansi(u"Kroužek humoru"_qs));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da4"_qs), QByteArray("\r\n"));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.vtp"_qs), ansi(u"Zvířata⏎"_qs));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata/Vtipy.sez"_qs), ansi(u"Slon⏎Žirafa⏎"_qs));
}

// Texts are written exactly as they are and read with every break as CR LF.
TEST(DatabaseBytes, EmptyListAndTextsWriteExactlyWhatTheyHold)
{
    TestFolder folder;
    folder.write(kList, "Stary\r\n");
    ASSERT_TRUE(writeList(DbPath::listFile(), {}));
    EXPECT_EQ(folder.read(kList), QByteArray(""));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"), u"jedna\r\ndvě\r\n"_qs));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da1"_qs), ansi(u"jedna⏎dvě⏎"_qs));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"), QString()));
    EXPECT_EQ(folder.read(u"DataBase/Zvířata.da1"_qs), QByteArray(""));

    folder.write(u"DataBase/K.da4"_qs, "tajne heslo  \nx\r");
    const QString text = readText(file(u"K"_qs, ".da4")).value_or(u"?"_qs);
    EXPECT_EQ(text, u"tajne heslo  \r\nx\r\n"_qs);
    EXPECT_EQ(firstLine(text), u"tajne heslo  "_qs);
    EXPECT_EQ(firstLine(QString()), u""_qs);
    EXPECT_EQ(firstLine(u"\r\n"_qs), u""_qs);
}

// A missing list is an error naming it; a list splits at every kind of line
// break, and Czech and undefined bytes survive a rewrite.
TEST(ListReading, SplitsAtEveryKindOfLineBreak)
{
    TestFolder folder;
    QString error;
    EXPECT_FALSE(readList(DbPath::listFile(), &error).has_value());
    EXPECT_TRUE(error.contains(u"DataBase\\seznam.dat"_qs)) << error.toStdString();

    const struct
    {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {QByteArrayLiteral("a\r\nb\0c\r\nd\r\n"), {"a", "b"}}, // the NUL is kept
        {" mezery \r\n\tc\r\n", {" mezery ", "\tc"}},
        {"bez konce", {"bez konce"}},
    };
    for (const auto &c : cases) {
        folder.write(kList, c.bytes);
        EXPECT_EQ(readList(DbPath::listFile()), c.lines) << c.bytes.toStdString();
    }

    const QByteArray bytes = ansi(u"Žirafa⏎Čáp⏎"_qs) + QByteArray("\x81\x98\r\n");
    folder.write(kList, bytes);
    const auto lines = readList(DbPath::listFile());
    EXPECT_EQ(lines, (QStringList{u"Žirafa"_qs, u"Čáp"_qs, u"\u0081\u0098"_qs}));
    ASSERT_TRUE(writeList(DbPath::listFile(), lines.value_or(QStringList())));
    EXPECT_EQ(folder.read(kList), bytes);
}

// The wizard's append of a new library to the list, in its three cases, and
// with the old content's lone line feeds; a missing list is not created.
TEST(ListAppend, KeepsTheLastBreakAsTheContentHasIt)
{
    TestFolder folder;
    folder.mkdir(u"DataBase"_qs);
    EXPECT_FALSE(appendLine(DbPath::listFile(), kZvirata));
    EXPECT_FALSE(folder.exists(kList));
    const struct
    {
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {ansi(u"Klasika⏎"_qs), ansi(u"Klasika⏎Zvířata⏎"_qs)},
        {ansi(u"Klasika"_qs), ansi(u"Klasika⏎Zvířata"_qs)},
        {"", ansi(u"Zvířata⏎"_qs)},
        {"A\nB\n", ansi(u"A⏎B⏎Zvířata⏎"_qs)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        folder.write(kList, c.before);
        ASSERT_TRUE(appendLine(DbPath::listFile(), kZvirata));
        EXPECT_EQ(folder.read(kList), c.after);
    }
}

// Databases copied from the home platform hold names in any letter case.
TEST(LetterCase, FilesAreFoundWhateverTheirCaseAndNewOnesGetTheProgramsCase)
{
    TestFolder folder;
    folder.write(u"database/SEZNAM.DAT"_qs, "Zoo\r\n");
    folder.write(u"database/zoo/vtipy.sez"_qs, "Slon\r\n");
    folder.write(u"database/ZOO.DA1"_qs, "popis");
    folder.write(u"database/ŽIRAFY.da3"_qs, "autor");
    folder.write(u"database/zoo/SLON.vti"_qs, ansi(u"Slon je velký.⏎Řekl pes.⏎"_qs));
    folder.write(u"database/Ovce/vtipy.sez"_qs, "stary\r\n");
    folder.write(u"database/Ovce/Vtipy.sez"_qs, "novy\r\n"); // an exact match wins

    EXPECT_EQ(readList(DbPath::listFile()), QStringList{"Zoo"});
    EXPECT_EQ(readList(DbPath::jokeList(u"Zoo"_qs)), QStringList{"Slon"});
    EXPECT_EQ(readText(file(u"zOo"_qs, ".da1")), u"popis"_qs);
    EXPECT_EQ(readText(file(u"žirafy"_qs, ".da3")), u"autor"_qs);
    EXPECT_EQ(readList(DbPath::jokeList(u"Ovce"_qs)), QStringList{"novy"});
    QTextDocument doc;
    ASSERT_TRUE(readRichText(DbPath::jokeFile(u"Zoo"_qs, u"Slon"_qs), &doc));
    EXPECT_EQ(doc.toPlainText(), u"Slon je velký.\nŘekl pes."_qs); // a plain-text joke

    // A rewrite goes to the file that is there, not to a second one.
    ASSERT_TRUE(writeList(DbPath::jokeList(u"Zoo"_qs), {u"Pes"_qs}));
    EXPECT_EQ(folder.read(u"database/zoo/vtipy.sez"_qs), QByteArray("Pes\r\n"));
    EXPECT_FALSE(folder.exists(u"database/zoo/Vtipy.sez"_qs));
    // New files get the program's case.
    folder.mkdir(u"database/Noe"_qs);
    ASSERT_TRUE(writeList(DbPath::jokeList(u"Noe"_qs), {u"a"_qs}));
    EXPECT_TRUE(folder.exists(u"database/Noe/Vtipy.sez"_qs));
    EXPECT_FALSE(folder.exists(u"DataBase"_qs));
}

// A folder unpacked by an old unzip or copied from a FAT stick mounted
// without UTF-8 keeps its Czech names as Windows-1250 bytes.
TEST(LetterCase, NamesKeptInWindows1250BytesAreFoundReadAndWrittenInPlace)
{
    TestFolder folder;
    const auto put = [](const QByteArray &path, const QByteArray &bytes) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    };
    ASSERT_EQ(::mkdir("DataBase", 0777), 0);
    ASSERT_EQ(::mkdir("DataBase/Zv\xed\xf8"
                      "ata",
                      0777),
              0); // Zvířata
    put("DataBase/seznam.dat", ansi(u"Zvířata⏎"_qs));
    put("DataBase/Zv\xed\xf8"
        "ata.da1",
        ansi(u"Koně a psi"_qs));
    put("DataBase/Zv\xed\xf8"
        "ata/vtipy.sez",
        ansi(u"Kůň⏎Slon⏎"_qs));
    put("DataBase/Zv\xed\xf8"
        "ata/K\xf9\xf2.vti",
        ansi(u"Kůň řehtá.⏎"_qs)); // Kůň.vti

    EXPECT_EQ(readText(DbPath::libraryFile(u"Zvířata"_qs, u".da1"_qs)), u"Koně a psi"_qs);
    EXPECT_EQ(readList(DbPath::jokeList(u"zvířata"_qs)), (QStringList{u"Kůň"_qs, u"Slon"_qs}));
    EXPECT_EQ(readJokeText(DbPath::jokeFile(u"Zvířata"_qs, u"KŮŇ"_qs)), u"Kůň řehtá."_qs);
    EXPECT_EQ(folderFileNames(DbPath::libraryFolder(u"Zvířata"_qs))->count(u"Kůň.vti"_qs), 1);

    // A save replaces the file that is there, under its own bytes.
    ASSERT_TRUE(writeBytes(DbPath::jokeFile(u"Zvířata"_qs, u"Kůň"_qs), "{\\rtf1 Hy!}"));
    ASSERT_TRUE(writeList(DbPath::jokeList(u"Zvířata"_qs), {u"Kůň"_qs}));
    // Qt's listing drops names that are not UTF-8: the bytes are counted.
    const auto entries = [](const char *path) {
        int count = 0;
        DIR *dir = ::opendir(path);
        while (const dirent *entry = dir ? ::readdir(dir) : nullptr)
            count += entry->d_name[0] != '.';
        if (dir)
            ::closedir(dir);
        return count;
    };
    EXPECT_EQ(entries("DataBase"), 3); // seznam.dat, the .da1 and the folder
    EXPECT_EQ(entries("DataBase/Zv\xed\xf8"
                      "ata"),
              2);
    struct stat st;
    ASSERT_EQ(::stat("DataBase/Zv\xed\xf8"
                     "ata/K\xf9\xf2.vti",
                     &st),
              0);
    EXPECT_EQ(st.st_size, 11);
    ASSERT_EQ(::stat("DataBase/Zv\xed\xf8"
                     "ata/vtipy.sez",
                     &st),
              0);
    EXPECT_EQ(st.st_size, 5);
    EXPECT_EQ(readJokeText(DbPath::jokeFile(u"Zvířata"_qs, u"Kůň"_qs)), u"Hy!"_qs);

    // Each name reaches the disk as it came from there.
    for (const QByteArray &bytes : {QByteArray("K\xf9\xf2.vti"), QByteArray("Kůň.vti"),
                                    QByteArray("a\xff\x80"
                                               "b")})
        EXPECT_EQ(nameToDisk(nameFromDisk(bytes)), bytes);
    EXPECT_EQ(shownName(nameFromDisk("K\xf9\xf2.vti")), u"Kůň.vti"_qs);
}

// Once, in no letter case already there, and never with its parents.
TEST(LibraryFolder, IsCreatedOnlyOnceAndNeverWithParents)
{
    TestFolder folder;
    EXPECT_FALSE(createLibraryFolder(u"Zoo"_qs)); // no DataBase
    EXPECT_FALSE(folder.exists(u"DataBase"_qs));
    folder.mkdir(u"database/zoo"_qs);
    EXPECT_FALSE(createLibraryFolder(u"ZOO"_qs));
    EXPECT_TRUE(createLibraryFolder(u"Zoo2"_qs));
    EXPECT_TRUE(folder.exists(u"database/Zoo2"_qs));
    QString error;
    EXPECT_FALSE(createLibraryFolder(u"Zoo2"_qs, &error));
    EXPECT_FALSE(error.isEmpty());
}

// A write that fails half way, or cannot start, or cannot create its file,
// leaves every old file whole and nothing new.
TEST(AtomicWrites, FailedWritesChangeNothing)
{
    TestFolder folder;
    folder.write(kList, ansi(u"Klasika⏎Zvířata⏎"_qs));
    folder.write(u"DataBase/Zoo.da1"_qs, "stary popis");
    folder.write(u"DataBase/Zoo.ico"_qs, sampleIcon());
    folder.write(u"DataBase/Ovce"_qs, "a file where the folder should be");
    const auto before = folder.snapshot();
    QString error;
    store::testing::setWriteLimit(5);
    EXPECT_FALSE(writeList(DbPath::listFile(), {u"Nový seznam"_qs, u"Druhý"_qs}, &error));
    EXPECT_FALSE(error.isEmpty());
    store::testing::setWriteLimit(0);
    EXPECT_FALSE(writeText(file(u"Zoo"_qs, ".da1"), u"nový"_qs));
    EXPECT_FALSE(writeIcon(file(u"Zoo"_qs, ".ico"), iconFromBytes(sampleIcon() + "x")));
    store::testing::setWriteLimit(-1);
    EXPECT_FALSE(writeList(DbPath::jokeList(u"Ovce"_qs), {u"x"_qs}, &error));
    EXPECT_TRUE(error.contains(u"Vtipy.sez"_qs)) << error.toStdString();
    EXPECT_EQ(folder.snapshot(), before);
}

// Names the home platform's file system refuses never become paths;
// ordinary Czech names do.
TEST(RefusedNames, NeverReachAFileOutsideTheirFolder)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs});
    folder.write(u"outside.vti"_qs, "outside");
    folder.write(u"DataBase/outside.vti"_qs, "outside");
    const auto before = folder.snapshot();

    for (const QString &name :
         {QString(), u"."_qs, u".."_qs, u"../outside"_qs, u"..\\outside"_qs, u"a/b"_qs,
          u"tab\there"_qs, u"nový\nřádek"_qs, u"Proč?"_qs, u"a:b"_qs, u"a*"_qs, u"<x>"_qs,
          u"\"x\""_qs, u"a|b"_qs, u"Ж"_qs, u"smích 😀"_qs}) {
        SCOPED_TRACE(name.toStdString());
        QString error;
        EXPECT_FALSE(DbPath::jokeFile(u"Zoo"_qs, name).isValid());
        EXPECT_FALSE(writeList(DbPath::jokeList(name), {u"x"_qs}, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(writeText(DbPath::jokeFile(u"Zoo"_qs, name), u"x"_qs));
        EXPECT_FALSE(writeText(file(name, ".da1"), u"x"_qs));
        EXPECT_FALSE(deleteFile(DbPath::jokeFile(u"Zoo"_qs, name)));
        EXPECT_FALSE(deleteFile(file(name, ".vti")));
        EXPECT_FALSE(removeFolder(DbPath::libraryFolder(name)));
        EXPECT_FALSE(createLibraryFolder(name));
        EXPECT_FALSE(readList(DbPath::jokeList(name)).has_value());
    }
    EXPECT_EQ(folder.snapshot(), before);

    // Ordinary names are accepted, and one that begins another stays apart.
    for (const QString &name :
         {u"Zvířata"_qs, u"Kniha 2"_qs, u"Vtipy, hádanky a básně"_qs, u"Pan Novák!"_qs,
          u"100 % humor"_qs, u"Žirafa."_qs, u"a..b"_qs, u" mezera "_qs})
        EXPECT_TRUE(isAcceptableName(name)) << name.toStdString();

    // Device names and names ending in a dot or a blank: the home platform
    // can have no such file or folder. A joke's name is only the stem of its
    // file's name, and may end in a dot.
    for (const QString &name :
         {u"CON"_qs, u"con"_qs, u"Prn.txt"_qs, u"AUX"_qs, u"nul.vti"_qs, u"COM1"_qs, u"com9.x"_qs,
          u"LPT1"_qs, u"lpt9"_qs, u"Konec."_qs, u"Konec "_qs}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(isAcceptableFileName(name));
        EXPECT_FALSE(DbPath::libraryFolder(name).isValid());
        EXPECT_FALSE(createLibraryFolder(name));
        EXPECT_FALSE(writeText(file(name, ".da1"), u"x"_qs));
    }
    for (const QString &joke : {u"CON"_qs, u"lpt3"_qs, u"Nul"_qs})
        EXPECT_FALSE(writeText(DbPath::jokeFile(u"Zoo"_qs, joke), u"x"_qs)) << joke.toStdString();
    for (const QString &name :
         {u"COM10"_qs, u"Console"_qs, u"LPT0"_qs, u"com"_qs, u"NULA"_qs, u"Aux-hry"_qs, u"a..b"_qs})
        EXPECT_TRUE(isAcceptableFileName(name)) << name.toStdString();
    EXPECT_TRUE(writeText(DbPath::jokeFile(u"Zoo"_qs, u"Proč ne."_qs), u"x"_qs));
    EXPECT_TRUE(folder.exists(u"DataBase/Zoo/Proč ne..vti"_qs));
    EXPECT_FALSE(folder.exists(u"DataBase/Zoo/CON.vti"_qs));

    ASSERT_TRUE(writeText(file(u"Kniha"_qs, ".da1"), u"první"_qs));
    ASSERT_TRUE(writeText(file(u"Kniha 2"_qs, ".da1"), u"druhá"_qs));
    EXPECT_EQ(readText(file(u"Kniha"_qs, ".da1")), u"první"_qs);
}

TEST(Removal, DeletesFilesAndEmptyFoldersOnly)
{
    TestFolder folder;
    folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs});
    EXPECT_FALSE(removeFolder(DbPath::libraryFolder(u"Zoo"_qs))); // not empty
    EXPECT_FALSE(deleteFile(DbPath::libraryFolder(u"Zoo"_qs)));   // a folder
    EXPECT_TRUE(deleteFile(DbPath::jokeFile(u"Zoo"_qs, u"Slon"_qs)));
    EXPECT_TRUE(deleteFile(DbPath::jokeList(u"zoo"_qs)));
    EXPECT_TRUE(removeFolder(DbPath::libraryFolder(u"Zoo"_qs)));
    EXPECT_FALSE(folder.exists(u"DataBase/Zoo"_qs));
    EXPECT_TRUE(folder.exists(u"DataBase/Zoo.da1"_qs));
}

TEST(Icons, AreWrittenBackAsReadAndOtherFilesAreRefused)
{
    TestFolder folder;
    folder.write(u"DataBase/A.ico"_qs, sampleIcon());
    const auto icon = readIcon(file(u"A"_qs, ".ico"));
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->image.size(), QSize(32, 32));
    ASSERT_TRUE(writeIcon(file(u"B"_qs, ".ico"), *icon));
    EXPECT_EQ(folder.read(u"DataBase/B.ico"_qs), sampleIcon());

    folder.write(u"DataBase/A.ico"_qs, "BM not an icon");
    folder.write(u"DataBase/B.ico"_qs, sampleIcon().left(30));
    QString error;
    EXPECT_FALSE(readIcon(file(u"A"_qs, ".ico"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readIcon(file(u"B"_qs, ".ico")).has_value());
    EXPECT_FALSE(readIcon(file(u"C"_qs, ".ico")).has_value());
}

// An icon file holds images of at most 256 by 256 pixels; a larger PNG image
// inside one is none of its images.
TEST(Icons, ImagesLargerThanAnIconFileHoldsAreIgnored)
{
    // A directory claiming more images than the file holds is no icon file.
    QByteArray claims = sampleIcon();
    claims[4] = char(0xFF);
    claims[5] = char(0xFF);
    EXPECT_TRUE(iconFromBytes(claims).isNull());
    claims[4] = 0;
    claims[5] = 0;
    EXPECT_TRUE(iconFromBytes(claims).isNull());

    EXPECT_EQ(iconFromBytes(pngIcon({256})).image.size(), QSize(256, 256));
    EXPECT_TRUE(iconFromBytes(pngIcon({300})).isNull());
    const QByteArray mixed = pngIcon({16, 1000, 48});
    const Icon icon = iconFromBytes(mixed);
    EXPECT_EQ(icon.image.size(), QSize(48, 48));
    EXPECT_EQ(icon.bytes, mixed);
}

// A joke in RTF is read as such (LetterCase reads one in plain text); a
// missing one leaves the document alone.
TEST(RichText, JokeIsReadAsRtfAndAMissingOneChangesNothing)
{
    TestFolder folder;
    const DbPath pes = DbPath::jokeFile(u"Zoo"_qs, u"Pes"_qs);
    QTextDocument doc;
    doc.setPlainText(u"předchozí vtip"_qs);
    EXPECT_FALSE(readRichText(pes, &doc));
    EXPECT_EQ(doc.toPlainText(), u"předchozí vtip"_qs);

    folder.write(u"DataBase/Zoo/Pes.vti"_qs,
                 "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                 "\\pard\\b\\f0\\fs20 \\'d8ekl\\b0  pes.\\par\r\n}\r\n");
    ASSERT_TRUE(readRichText(pes, &doc));
    EXPECT_EQ(doc.toPlainText(), u"Řekl pes."_qs);
}
