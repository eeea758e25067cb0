#include "store/files.h"
#include "support/testfolder.h"

#include <QDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace store;

namespace {

const QString kZvirata = QStringLiteral("Zvířata");

DbPath file(const QString &library, const char *extension)
{
    return DbPath::libraryFile(library, QString::fromLatin1(extension));
}

} // namespace

// The example database of two libraries, written through the store, is the
// same byte for byte as the home platform writes it.
TEST(DatabaseBytes, WorkedExampleIsWrittenByteForByte)
{
    TestFolder folder;
    folder.mkdir(QStringLiteral("DataBase"));
    ASSERT_TRUE(writeList(DbPath::listFile(), {QStringLiteral("Klasika"), kZvirata}));
    ASSERT_TRUE(createLibraryFolder(kZvirata));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"),
                          QStringLiteral("Vtipy o zvířatech.\r\nPro malé i velké.")));
    ASSERT_TRUE(writeList(file(kZvirata, ".da2"), {QStringLiteral("2")}));
    ASSERT_TRUE(writeText(file(kZvirata, ".da3"), QStringLiteral("Kroužek humoru")));
    ASSERT_TRUE(writeList(file(kZvirata, ".da4"), {QString()}));
    ASSERT_TRUE(writeList(file(kZvirata, ".vtp"), {kZvirata}));
    ASSERT_TRUE(
        writeList(DbPath::jokeList(kZvirata), {QStringLiteral("Slon"), QStringLiteral("Žirafa")}));

    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), ansi(u"Klasika⏎Zvířata⏎"_qs));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da1")),
              ansi(u"Vtipy o zvířatech.⏎Pro malé i velké."_qs));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da2")), QByteArray("2\r\n"));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da3")), ansi(u"Kroužek humoru"_qs));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da4")), QByteArray("\r\n"));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.vtp")), ansi(u"Zvířata⏎"_qs));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata/Vtipy.sez")), ansi(u"Slon⏎Žirafa⏎"_qs));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da1")).size(), 37);
}

TEST(DatabaseBytes, EmptyListWritesAnEmptyFile)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/seznam.dat"), "Stary\r\n");
    ASSERT_TRUE(writeList(DbPath::listFile(), {}));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), QByteArray(""));
}

TEST(DatabaseBytes, TextWriteKeepsTheTextsOwnBreaks)
{
    TestFolder folder;
    folder.mkdir(QStringLiteral("DataBase"));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"), QStringLiteral("jedna\r\ndvě\r\n")));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da1")), ansi(u"jedna⏎dvě⏎"_qs));
    ASSERT_TRUE(writeText(file(kZvirata, ".da1"), QString()));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da1")), QByteArray(""));
}

TEST(ListReading, SplitsAtEveryKindOfLineBreak)
{
    TestFolder folder;
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
        {"a\r\nb\0c\r\nd\r\n", {"a", "b"}},
        {" mezery \r\n\tc\r\n", {" mezery ", "\tc"}},
        {"bez konce", {"bez konce"}},
    };
    for (const auto &c : cases) {
        folder.write(QStringLiteral("DataBase/seznam.dat"), c.bytes);
        const auto lines = readList(DbPath::listFile());
        ASSERT_TRUE(lines.has_value());
        EXPECT_EQ(*lines, c.lines) << c.bytes.toStdString();
    }
}

TEST(ListReading, CzechNamesAndUndefinedBytesSurviveARewrite)
{
    TestFolder folder;
    const QByteArray bytes = ansi(u"Žirafa⏎Čáp⏎"_qs) + QByteArray("\x81\x98\r\n");
    folder.write(QStringLiteral("DataBase/Zoo/Vtipy.sez"), bytes);
    const auto lines = readList(DbPath::jokeList(QStringLiteral("Zoo")));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->at(1), QStringLiteral("Čáp"));
    ASSERT_TRUE(writeList(DbPath::jokeList(QStringLiteral("Zoo")), *lines));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zoo/Vtipy.sez")), bytes);
}

TEST(ListReading, LoneLineFeedsBecomeCrLfOnTheNextWrite)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/seznam.dat"), "A\nB");
    const auto lines = readList(DbPath::listFile());
    ASSERT_TRUE(lines && writeList(DbPath::listFile(), *lines));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), QByteArray("A\r\nB\r\n"));
}

TEST(ListReading, MissingFileIsAnErrorWithItsName)
{
    TestFolder folder;
    QString error;
    EXPECT_FALSE(readList(DbPath::listFile(), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("DataBase\\seznam.dat"))) << error.toStdString();
}

TEST(TextReading, BreaksAreNormalisedAndTheFirstLineIsFound)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/K.da4"), "tajne heslo  \nx\r");
    const auto text = readText(file(QStringLiteral("K"), ".da4"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, QStringLiteral("tajne heslo  \r\nx\r\n"));
    EXPECT_EQ(firstLine(*text), QStringLiteral("tajne heslo  "));
    EXPECT_EQ(firstLine(QString()), QStringLiteral(""));
    EXPECT_EQ(firstLine(QStringLiteral("\r\n")), QStringLiteral(""));
}

// The wizard's append of a new library to the list, in its three cases.
TEST(ListAppend, AfterContentEndingInABreak)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(u"Klasika⏎"_qs));
    ASSERT_TRUE(appendLine(DbPath::listFile(), kZvirata));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), ansi(u"Klasika⏎Zvířata⏎"_qs));
}

TEST(ListAppend, AfterContentWithoutAFinalBreak)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(u"Klasika"_qs));
    ASSERT_TRUE(appendLine(DbPath::listFile(), kZvirata));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), ansi(u"Klasika⏎Zvířata"_qs));
}

TEST(ListAppend, ToAnEmptyFileAndWithLoneLineFeeds)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/seznam.dat"), "");
    ASSERT_TRUE(appendLine(DbPath::listFile(), kZvirata));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), ansi(u"Zvířata⏎"_qs));

    folder.write(QStringLiteral("DataBase/seznam.dat"), "A\nB\n");
    ASSERT_TRUE(appendLine(DbPath::listFile(), QStringLiteral("C")));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), QByteArray("A\r\nB\r\nC\r\n"));
}

TEST(ListAppend, MissingListIsAnErrorAndCreatesNothing)
{
    TestFolder folder;
    folder.mkdir(QStringLiteral("DataBase"));
    EXPECT_FALSE(appendLine(DbPath::listFile(), kZvirata));
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/seznam.dat")));
}

// Databases copied from the home platform hold names in any letter case.
TEST(LetterCase, FilesAreFoundWhateverTheirCase)
{
    TestFolder folder;
    folder.write(QStringLiteral("database/SEZNAM.DAT"), "Zoo\r\n");
    folder.write(QStringLiteral("database/zoo/vtipy.sez"), "Slon\r\n");
    folder.write(QStringLiteral("database/ZOO.DA1"), "popis");
    folder.write(QStringLiteral("database/zoo/SLON.vti"), ansi(u"Slon je velký."_qs));

    EXPECT_EQ(readList(DbPath::listFile()).value_or(QStringList()), QStringList{"Zoo"});
    EXPECT_EQ(readList(DbPath::jokeList(QStringLiteral("Zoo"))).value_or(QStringList()),
              QStringList{"Slon"});
    EXPECT_EQ(readText(file(QStringLiteral("zOo"), ".da1")).value_or(QString()),
              QStringLiteral("popis"));
    QTextDocument doc;
    ASSERT_TRUE(
        readRichText(DbPath::jokeFile(QStringLiteral("Zoo"), QStringLiteral("Slon")), &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Slon je velký."));

    // A rewrite goes to the file that is there, not to a second one.
    ASSERT_TRUE(writeList(DbPath::jokeList(QStringLiteral("Zoo")), {QStringLiteral("Pes")}));
    EXPECT_EQ(folder.read(QStringLiteral("database/zoo/vtipy.sez")), QByteArray("Pes\r\n"));
    EXPECT_FALSE(folder.exists(QStringLiteral("database/zoo/Vtipy.sez")));
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase")));
}

TEST(LetterCase, CzechLettersMatchIgnoringCase)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/ŽIRAFY.da3"), ansi(u"autor"_qs));
    EXPECT_EQ(readText(file(QStringLiteral("žirafy"), ".da3")).value_or(QString()),
              QStringLiteral("autor"));
}

TEST(LetterCase, ExactMatchWinsAndNewFilesGetTheProgramsCase)
{
    TestFolder folder;
    folder.write(QStringLiteral("database/Zoo/vtipy.sez"), "stary\r\n");
    folder.write(QStringLiteral("database/Zoo/Vtipy.sez"), "novy\r\n");
    EXPECT_EQ(readList(DbPath::jokeList(QStringLiteral("Zoo"))).value_or(QStringList()),
              QStringList{"novy"});

    folder.mkdir(QStringLiteral("database/Noe"));
    ASSERT_TRUE(writeList(DbPath::jokeList(QStringLiteral("Noe")), {QStringLiteral("a")}));
    EXPECT_TRUE(folder.exists(QStringLiteral("database/Noe/Vtipy.sez")));
}

TEST(LetterCase, LibraryFolderExistingInOtherCaseCannotBeCreated)
{
    TestFolder folder;
    folder.mkdir(QStringLiteral("database/zoo"));
    EXPECT_FALSE(createLibraryFolder(QStringLiteral("ZOO")));
    EXPECT_TRUE(createLibraryFolder(QStringLiteral("Zoo2")));
    EXPECT_TRUE(folder.exists(QStringLiteral("database/Zoo2")));
}

TEST(LibraryFolder, IsCreatedOnlyOnceAndNeverWithParents)
{
    TestFolder folder;
    EXPECT_FALSE(createLibraryFolder(QStringLiteral("Zoo"))); // no DataBase
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase")));
    folder.mkdir(QStringLiteral("DataBase"));
    QString error;
    EXPECT_TRUE(createLibraryFolder(QStringLiteral("Zoo"), &error));
    EXPECT_FALSE(createLibraryFolder(QStringLiteral("Zoo"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// A write that fails half way, or cannot start, leaves the old file whole.
TEST(AtomicWrites, InterruptedWriteLeavesTheOldBytes)
{
    TestFolder folder;
    const QByteArray old = ansi(u"Klasika⏎Zvířata⏎"_qs);
    folder.write(QStringLiteral("DataBase/seznam.dat"), old);
    store::testing::setWriteLimit(5);
    QString error;
    const bool written = writeList(
        DbPath::listFile(), {QStringLiteral("Nový seznam"), QStringLiteral("Druhý")}, &error);
    store::testing::setWriteLimit(-1);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/seznam.dat")), old);
    EXPECT_EQ(QDir(folder.absolute(QStringLiteral("DataBase"))).entryList(QDir::Files),
              QStringList{"seznam.dat"});
}

TEST(AtomicWrites, InterruptedTextAndIconWritesLeaveTheOldBytes)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/Zoo.da1"), "stary popis");
    folder.write(QStringLiteral("DataBase/Zoo.ico"), sampleIcon());
    store::testing::setWriteLimit(0);
    EXPECT_FALSE(writeText(file(QStringLiteral("Zoo"), ".da1"), QStringLiteral("nový")));
    EXPECT_FALSE(writeIcon(file(QStringLiteral("Zoo"), ".ico"), iconFromBytes(sampleIcon() + "x")));
    store::testing::setWriteLimit(-1);
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zoo.da1")), QByteArray("stary popis"));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zoo.ico")), sampleIcon());
}

TEST(AtomicWrites, WriteThatCannotCreateItsFileChangesNothing)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/Zoo"), "a file where the folder should be");
    const auto before = folder.snapshot();
    QString error;
    EXPECT_FALSE(writeList(DbPath::jokeList(QStringLiteral("Zoo")), {QStringLiteral("x")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Vtipy.sez"))) << error.toStdString();
    EXPECT_EQ(folder.snapshot(), before);
}

// Names the home platform's file system refuses never become paths.
TEST(RefusedNames, NeverReachAFileOutsideTheirFolder)
{
    TestFolder folder;
    folder.makeProgramFolder();
    folder.makeLibrary(QStringLiteral("Zoo"), {QStringLiteral("Slon")});
    folder.write(QStringLiteral("outside.vti"), "outside");
    folder.write(QStringLiteral("DataBase/outside.vti"), "outside");
    const auto before = folder.snapshot();

    const QString refused[] = {QString(),
                               QStringLiteral("."),
                               QStringLiteral(".."),
                               QStringLiteral("../outside"),
                               QStringLiteral("..\\outside"),
                               QStringLiteral("a/b"),
                               QStringLiteral("tab\there"),
                               QStringLiteral("nový\nřádek"),
                               QStringLiteral("Proč?"),
                               QStringLiteral("a:b"),
                               QStringLiteral("a*"),
                               QStringLiteral("<x>"),
                               QStringLiteral("\"x\""),
                               QStringLiteral("a|b"),
                               QStringLiteral("Ж"),
                               QStringLiteral("smích 😀")};
    for (const QString &name : refused) {
        SCOPED_TRACE(name.toStdString());
        QString error;
        EXPECT_FALSE(DbPath::jokeFile(QStringLiteral("Zoo"), name).isValid());
        EXPECT_FALSE(writeList(DbPath::jokeList(name), {QStringLiteral("x")}, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(writeText(DbPath::jokeFile(QStringLiteral("Zoo"), name), QStringLiteral("x")));
        EXPECT_FALSE(writeText(file(name, ".da1"), QStringLiteral("x")));
        EXPECT_FALSE(deleteFile(DbPath::jokeFile(QStringLiteral("Zoo"), name)));
        EXPECT_FALSE(deleteFile(file(name, ".vti")));
        EXPECT_FALSE(removeFolder(DbPath::libraryFolder(name)));
        EXPECT_FALSE(createLibraryFolder(name));
        EXPECT_FALSE(readList(DbPath::jokeList(name)).has_value());
    }
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(RefusedNames, OrdinaryCzechNamesAreAccepted)
{
    for (const char16_t *name : {u"Zvířata", u"Kniha 2", u"Vtipy, hádanky a básně", u"Pan Novák!",
                                 u"100 % humor", u"Žirafa.", u"a..b", u" mezera "}) {
        EXPECT_TRUE(isAcceptableName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
    }
}

TEST(RefusedNames, PrefixNamesStayApart)
{
    TestFolder folder;
    folder.mkdir(QStringLiteral("DataBase"));
    ASSERT_TRUE(writeText(file(QStringLiteral("Kniha"), ".da1"), QStringLiteral("první")));
    ASSERT_TRUE(writeText(file(QStringLiteral("Kniha 2"), ".da1"), QStringLiteral("druhá")));
    EXPECT_EQ(readText(file(QStringLiteral("Kniha"), ".da1")).value_or(QString()),
              QStringLiteral("první"));
}

TEST(Removal, DeletesFilesAndEmptyFoldersOnly)
{
    TestFolder folder;
    folder.makeLibrary(QStringLiteral("Zoo"), {QStringLiteral("Slon")});
    EXPECT_FALSE(removeFolder(DbPath::libraryFolder(QStringLiteral("Zoo")))); // not empty
    EXPECT_FALSE(deleteFile(DbPath::libraryFolder(QStringLiteral("Zoo"))));   // a folder
    EXPECT_TRUE(deleteFile(DbPath::jokeFile(QStringLiteral("Zoo"), QStringLiteral("Slon"))));
    EXPECT_TRUE(deleteFile(DbPath::jokeList(QStringLiteral("zoo"))));
    EXPECT_TRUE(removeFolder(DbPath::libraryFolder(QStringLiteral("Zoo"))));
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/Zoo")));
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Zoo.da1")));
}

TEST(Icons, AreWrittenBackAsTheBytesTheyWereReadFrom)
{
    TestFolder folder;
    QByteArray bytes = sampleIcon();
    folder.write(QStringLiteral("DataBase/A.ico"), bytes);
    const auto icon = readIcon(file(QStringLiteral("A"), ".ico"));
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->image.size(), QSize(32, 32));
    EXPECT_EQ(bytes.size(), 766);
    ASSERT_TRUE(writeIcon(file(QStringLiteral("B"), ".ico"), *icon));
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/B.ico")), bytes);
}

TEST(Icons, FilesThatAreNotIconsAreRefused)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/A.ico"), "BM not an icon");
    folder.write(QStringLiteral("DataBase/B.ico"), sampleIcon().left(30));
    QString error;
    EXPECT_FALSE(readIcon(file(QStringLiteral("A"), ".ico"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readIcon(file(QStringLiteral("B"), ".ico")).has_value());
    EXPECT_FALSE(readIcon(file(QStringLiteral("C"), ".ico")).has_value());
}

TEST(RichText, PlainTextJokeIsShownAsText)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/Zoo/Pes.vti"), ansi(u"Haf!⏎Řekl pes.⏎"_qs));
    QTextDocument doc;
    ASSERT_TRUE(readRichText(DbPath::jokeFile(QStringLiteral("Zoo"), QStringLiteral("Pes")), &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Haf!\nŘekl pes."));
}

TEST(RichText, RtfJokeIsReadAsRichText)
{
    TestFolder folder;
    folder.write(QStringLiteral("DataBase/Zoo/Pes.vti"),
                 "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                 "\\pard\\b\\f0\\fs20 \\'d8ekl\\b0  pes.\\par\r\n}\r\n");
    QTextDocument doc;
    ASSERT_TRUE(readRichText(DbPath::jokeFile(QStringLiteral("Zoo"), QStringLiteral("Pes")), &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Řekl pes."));
    EXPECT_GE(doc.begin().begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
}

TEST(RichText, MissingJokeLeavesTheDocumentAlone)
{
    TestFolder folder;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("předchozí vtip"));
    EXPECT_FALSE(
        readRichText(DbPath::jokeFile(QStringLiteral("Zoo"), QStringLiteral("Pes")), &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("předchozí vtip"));
}
