#include "support/mainwindowfixture.h"

#include <QDir>

using ListCommands = MainWindowFixture;
using CompleteRemoval = MainWindowFixture;

TEST_F(ListCommands, RemovingKeepsTheFilesAndAddingAppendsTheFirstLineOfAFileEveryTime)
{
    folder.write(QStringLiteral("DataBase/Vtipy o pánech.vtp"),
                 ansi(u"Vtipy o pánech⏎druhý řádek⏎"_qs));
    folder.write(QStringLiteral("prazdny.vtp"), "");
    THLAVNI &w = start();
    clickRow(0);
    w.Odstr->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎"_qs));
    EXPECT_EQ(description(), QStringLiteral("|||"));
    EXPECT_FALSE(w.Ikonka->image().isNull());
    EXPECT_FALSE(w.Odstr->isEnabled() || w.OdstrU->isEnabled() || w.Uprav->isEnabled());
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Zvířata.vtp")));
    EXPECT_TRUE(services.shown.isEmpty());

    // Twice the same file; an empty file adds an empty name; cancelled, or a
    // file that cannot be read, adds nothing.
    for (const char *file : {"DataBase/Vtipy o pánech.vtp", "DataBase/Vtipy o pánech.vtp",
                             "prazdny.vtp", "", "neni.vtp"}) {
        services.setNextFileName(*file ? folder.absolute(QString::fromUtf8(file)) : QString());
        w.Pridat->trigger();
    }
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎Vtipy o pánech⏎Vtipy o pánech⏎⏎"_qs));
    EXPECT_EQ(w.Seznam->count(), 4);
    EXPECT_TRUE(oneError());
    ASSERT_EQ(services.fileDialogs.size(), 5);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Zadej název databáze..."));
    EXPECT_EQ(services.fileDialogs[0].filter, QStringLiteral("Vtipy (*.vtp)|*.vtp"));
    EXPECT_TRUE(services.fileDialogs[0].folder.endsWith(QStringLiteral("/DataBase")));
}

TEST_F(ListCommands, MovesAndTheirShortcutsRewriteTheListButNotAtItsEndsNorInJokeMode)
{
    const QByteArray unixList = ansi(u"Zvířata\nŠkola\n"_qs);
    folder.write(QStringLiteral("DataBase/seznam.dat"), unixList);
    THLAVNI &w = start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    clickRow(0);
    w.PrNah->trigger(); // up on the first
    EXPECT_EQ(listBytes(), unixList);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎Zvířata⏎"_qs));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));

    const QByteArray moved = listBytes();
    w.PrDol->trigger(); // down on the last
    EXPECT_EQ(listBytes(), moved);
    QTest::keyClick(w.Seznam, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎"_qs));
    EXPECT_EQ(w.Seznam->itemIndex(), 0);

    // Without a selection, or in joke mode, nothing moves.
    w.Seznam->setItemIndex(-1);
    const QByteArray before = listBytes();
    w.PrNah->trigger();
    w.PrDol->trigger();
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    openLibrary(0);
    clickRow(0);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Slon", "Žirafa"}));
    EXPECT_EQ(listBytes(), before);
}

TEST_F(ListCommands, SortingFollowsCzechOrderAfterConfirmation)
{
    setCzechLocale();
    folder.write(QStringLiteral("DataBase/seznam.dat"),
                 ansi(u"Hora⏎chata⏎Cesta⏎Čočka⏎dům⏎Ahoj⏎"_qs));
    THLAVNI &w = start();
    clickRow(1);
    EXPECT_EQ(services.texts(), QStringList{"Nemohu načíst popis!!!"}); // no files of its own
    services.shown.clear();

    services.setNextButton(platform::Cancel);
    w.Setrit->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Hora⏎chata⏎Cesta⏎Čočka⏎dům⏎Ahoj⏎"_qs));
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].caption, QStringLiteral("Varování"));
    EXPECT_EQ(services.shown[0].text,
              QStringLiteral("Setřídění se zruší vaše vlastní uspořádání!!!"));

    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Ahoj⏎Cesta⏎Čočka⏎dům⏎Hora⏎chata⏎"_qs));
    // The selection stays at its place; the name box keeps the library.
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("chata"));
}

// A system that names no language (C, POSIX) sorts in Czech, the program's
// language, and not by character codes.
TEST_F(ListCommands, SortingWithoutALanguageOfTheSystemIsCzech)
{
    QLocale::setDefault(QLocale::c());
    folder.write(QStringLiteral("DataBase/seznam.dat"),
                 ansi(u"Zvířata⏎Škola⏎Doktoři⏎Rodina⏎Počítače⏎Pohádky⏎chata⏎Hora⏎"_qs));
    THLAVNI &w = start();
    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Doktoři⏎Hora⏎chata⏎Počítače⏎Pohádky⏎Rodina⏎Škola⏎Zvířata⏎"_qs));
}

TEST_F(CompleteRemoval, TrashesTheJokesDeletesTheFilesAndLeavesTheListEvenAfterASort)
{
    folder.write(QStringLiteral("DataBase/Zvířata/sirotek.vti"), "orphan");
    setCzechLocale();
    THLAVNI &w = start();
    clickRow(0); // Zvířata; the sort puts Škola in its row
    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    ASSERT_EQ(w.Seznam->item(0), QStringLiteral("Škola"));
    services.shown.clear();
    w.OdstrU->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Vymazáno!!!"});
    EXPECT_EQ(services.trashed.size(), 3);
    for (const char *gone :
         {"DataBase/Zvířata", "DataBase/Zvířata.da1", "DataBase/Zvířata.da2",
          "DataBase/Zvířata.da3", "DataBase/Zvířata.ico", "DataBase/Zvířata.vtp"})
        EXPECT_FALSE(folder.exists(QString::fromUtf8(gone))) << gone;
    EXPECT_EQ(folder.read(QStringLiteral("DataBase/Zvířata.da4")), QByteArray("\r\n"));
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎"_qs));
    EXPECT_TRUE(w.Edit->text().isEmpty());
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Škola/Ťukání.vti")));

    // An empty folder is no error.
    QDir(folder.absolute(QStringLiteral("DataBase/Škola"))).removeRecursively();
    folder.mkdir(QStringLiteral("DataBase/Škola"));
    clickRow(0);
    w.OdstrU->trigger();
    EXPECT_EQ(services.texts(), (QStringList{"Vymazáno!!!", "Vymazáno!!!"}));
    EXPECT_EQ(services.trashed.size(), 3);
    EXPECT_EQ(listBytes(), QByteArray(""));
}

TEST_F(CompleteRemoval, MissingLibraryFileStopsAndKeepsTheName)
{
    QFile::remove(folder.absolute(QStringLiteral("DataBase/Zvířata.vtp")));
    THLAVNI &w = start();
    clickRow(0);
    w.OdstrU->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Nepodařilo se vymazat informační soubory..."});
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/Zvířata.ico")));
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Zvířata")));
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎"_qs));
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(CompleteRemoval, EmptyOrRefusedNameTouchesNothing)
{
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(u"Zvířata⏎⏎..⏎"_qs));
    const auto before = folder.snapshot();
    THLAVNI &w = start();
    for (int row : {1, 2}) {
        clickRow(row);
        w.OdstrU->setEnabled(true);
        w.OdstrU->trigger();
    }
    // The empty name selects nothing new, so the name box stays empty.
    EXPECT_EQ(services.texts().count(QStringLiteral("Nepodařilo se vymazat!!!")), 2);
    EXPECT_TRUE(services.trashed.isEmpty());
    EXPECT_EQ(folder.snapshot(), before);
}

// A library folder that is a link is no folder of the database: complete
// removal moves nothing to the trash and deletes nothing.
TEST_F(CompleteRemoval, LibraryFolderThatIsALinkTouchesNothing)
{
    folder.write(QStringLiteral("outside/dopis.txt"), "cizí soubor");
    QDir(folder.absolute(QStringLiteral("DataBase/Škola"))).removeRecursively();
    ASSERT_TRUE(QFile::link(folder.absolute(QStringLiteral("outside")),
                            folder.absolute(QStringLiteral("DataBase/Škola"))));
    const auto before = folder.snapshot();
    THLAVNI &w = start();
    clickRow(1);
    services.shown.clear();
    w.OdstrU->trigger();
    EXPECT_EQ(services.texts(), QStringList{QStringLiteral("Nepodařilo se vymazat!!!")});
    EXPECT_TRUE(services.trashed.isEmpty());
    EXPECT_EQ(folder.snapshot(), before);
}

// A list file holding entries after a NUL byte shows those before it; a
// command that would rewrite it says the file is damaged and writes nothing.
TEST_F(ListCommands, ListHidingEntriesAfterANulIsNotRewritten)
{
    const QByteArray damaged = ansi(u"Zvířata⏎Škola⏎"_qs) + QByteArray(1, '\0') + "Skryta\r\n";
    folder.write(QStringLiteral("DataBase/seznam.dat"), damaged);
    THLAVNI &w = start();
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    clickRow(0);
    services.shown.clear();
    w.PrDol->trigger();
    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    ASSERT_FALSE(services.shown.isEmpty());
    EXPECT_TRUE(services.shown[0].text.contains(QStringLiteral("seznam.dat")) &&
                services.shown[0].text.contains(QStringLiteral("poškozený")))
        << services.texts().join(u'|').toStdString();
    EXPECT_EQ(listBytes(), damaged);
}
