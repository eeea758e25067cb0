#include "controls/picturebox.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QTextEdit>

using ListCommands = MainWindowFixture;

TEST_F(ListCommands, AddingALibraryFileAppendsItsFirstLineEveryTime)
{
    folder.write(QStringLiteral("DataBase/Vtipy o pánech.vtp"),
                 ansi(u"Vtipy o pánech⏎druhý řádek⏎"_qs));
    folder.write(QStringLiteral("prazdny.vtp"), "");
    THLAVNI &w = start();
    for (int i = 0; i < 2; ++i) {
        services.setNextFileName(folder.absolute(QStringLiteral("DataBase/Vtipy o pánech.vtp")));
        w.Pridat->trigger();
    }
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎Vtipy o pánech⏎Vtipy o pánech⏎"_qs));
    ASSERT_EQ(services.fileDialogs.size(), 2);
    EXPECT_EQ(services.fileDialogs[0].title, QStringLiteral("Zadej název databáze..."));
    EXPECT_EQ(services.fileDialogs[0].filter, QStringLiteral("Vtipy (*.vtp)|*.vtp"));
    EXPECT_TRUE(services.fileDialogs[0].folder.endsWith(QStringLiteral("/DataBase")));

    // An empty library file adds an empty name; cancelling adds nothing.
    services.setNextFileName(folder.absolute(QStringLiteral("prazdny.vtp")));
    w.Pridat->trigger();
    services.setNextFileName(QString());
    w.Pridat->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎Vtipy o pánech⏎Vtipy o pánech⏎⏎"_qs));
    EXPECT_EQ(w.Seznam->count(), 5);
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(ListCommands, UnreadableLibraryFileIsReportedAndChangesNothing)
{
    THLAVNI &w = start();
    services.setNextFileName(folder.absolute(QStringLiteral("neni.vtp")));
    w.Pridat->trigger();
    ASSERT_EQ(services.shown.size(), 1);
    EXPECT_EQ(services.shown[0].kind, QStringLiteral("error"));
    EXPECT_EQ(w.Seznam->count(), 2);
}

TEST_F(ListCommands, RemovingFromTheListKeepsTheFilesAndEmptiesThePanel)
{
    THLAVNI &w = start();
    clickRow(0);
    w.Odstr->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎"_qs));
    EXPECT_TRUE(w.Edit->text().isEmpty());
    EXPECT_TRUE(w.Autor->toPlainText().isEmpty());
    EXPECT_TRUE(w.PopisText->toPlainText().isEmpty());
    EXPECT_TRUE(w.PocPod->toPlainText().isEmpty());
    EXPECT_FALSE(w.Ikonka->image().isNull());
    EXPECT_FALSE(w.Odstr->isEnabled() || w.OdstrU->isEnabled() || w.Uprav->isEnabled());
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_TRUE(folder.exists(QStringLiteral("DataBase/Zvířata.vtp")));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(ListCommands, MovesRewriteTheListButNotAtItsEnds)
{
    folder.write(QStringLiteral("DataBase/seznam.dat"), ansi(u"Zvířata\nŠkola\n"_qs));
    THLAVNI &w = start();
    clickRow(0);
    w.PrNah->trigger();
    w.PrDol->trigger();
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎Zvířata⏎"_qs));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Zvířata"));

    folder.write(QStringLiteral("DataBase/seznam.dat"), "untouched");
    w.PrDol->trigger();
    EXPECT_EQ(listBytes(), QByteArray("untouched"));
    w.PrNah->trigger();
    w.PrNah->trigger();
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));
    EXPECT_EQ(w.Seznam->itemIndex(), 0);

    // Without a selection neither command does anything.
    w.Seznam->setItemIndex(-1);
    folder.write(QStringLiteral("DataBase/seznam.dat"), "untouched");
    w.PrNah->trigger();
    w.PrDol->trigger();
    EXPECT_EQ(listBytes(), QByteArray("untouched"));
}

TEST_F(ListCommands, ShortcutsMoveInLibraryModeOnly)
{
    THLAVNI &w = start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    clickRow(0);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Škola", "Zvířata"}));
    QTest::keyClick(w.Seznam, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Zvířata", "Škola"}));

    openLibrary(0);
    clickRow(0);
    QTest::keyClick(w.Seznam, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(w.Seznam->items(), (QStringList{"Slon", "Žirafa"}));
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎Škola⏎"_qs));
}

TEST_F(ListCommands, SortingFollowsCzechOrderAfterConfirmation)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
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
    QLocale::setDefault(previous);
}

class CompleteRemoval : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder.write(QStringLiteral("DataBase/Zvířata/sirotek.vti"), "orphan");
    }
};

TEST_F(CompleteRemoval, SendsTheJokesToTheTrashAndDeletesTheLibraryFiles)
{
    THLAVNI &w = start();
    clickRow(0);
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

TEST_F(CompleteRemoval, EmptyFolderIsNoError)
{
    QDir(folder.absolute(QStringLiteral("DataBase/Škola"))).removeRecursively();
    folder.mkdir(QStringLiteral("DataBase/Škola"));
    start();
    clickRow(1);
    window->OdstrU->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Vymazáno!!!"});
    EXPECT_TRUE(services.trashed.isEmpty());
    EXPECT_EQ(listBytes(), ansi(u"Zvířata⏎"_qs));
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

TEST_F(CompleteRemoval, AfterASortTheDeletedLibraryLeavesTheList)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    THLAVNI &w = start();
    clickRow(0); // Zvířata; the sort puts Škola in its row
    services.setNextButton(platform::Ok);
    w.Setrit->trigger();
    ASSERT_EQ(w.Seznam->item(0), QStringLiteral("Škola"));
    w.OdstrU->trigger();
    EXPECT_FALSE(folder.exists(QStringLiteral("DataBase/Zvířata.da1")));
    EXPECT_EQ(listBytes(), ansi(u"Škola⏎"_qs));
    QLocale::setDefault(previous);
}
