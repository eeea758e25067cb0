#include "browser/Program.h"
#include "browser/Unit4.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

class About : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        (void)window.release();
        destroyWindows();
        QLocale::setDefault(QLocale::c());
    }

    THLAVNI &startAll()
    {
        createWindows(folder.path());
        window.reset(HLAVNI);
        return *HLAVNI;
    }

    // Shows the about box from the menu; `whileOpen` runs while it is open.
    void showAbout(std::function<void()> whileOpen)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            opened = QApplication::activeModalWidget() == AboutBox;
            whileOpen();
            AboutBox->close();
        });
        window->Oaplikaci1->trigger();
        EXPECT_TRUE(opened);
    }

    // True when the version shows, false when the memory figures do.
    static bool versionShows()
    {
        const bool version = !AboutBox->Version->isHidden() && !AboutBox->Label2->isHidden();
        const bool figures = !AboutBox->Vol->isHidden() && !AboutBox->Pouz->isHidden() &&
                             !AboutBox->PhysMem->isHidden() && !AboutBox->FreeRes->isHidden();
        EXPECT_NE(version, figures);
        return version;
    }
};

} // namespace

TEST_F(About, EveryShowingStartsWithTheVersion)
{
    startAll();
    showAbout([] {
        EXPECT_TRUE(versionShows());
        EXPECT_EQ(AboutBox->size(), QSize(239, 137));
        EXPECT_EQ(AboutBox->geometry().center(), AboutBox->screen()->geometry().center());
        EXPECT_TRUE(AboutBox->Timer1->isActive());
        QTest::mouseClick(AboutBox->Label2, Qt::LeftButton);
        EXPECT_FALSE(versionShows());
    });
    EXPECT_FALSE(AboutBox->Timer1->isActive());
    showAbout([] {
        EXPECT_TRUE(versionShows());
        QTest::mouseClick(AboutBox->Version, Qt::LeftButton);
        EXPECT_FALSE(versionShows());
        // Esc closes it too, and stops the figures.
        QTest::keyClick(AboutBox, Qt::Key_Escape);
        EXPECT_FALSE(AboutBox->isVisible() || AboutBox->Timer1->isActive());
    });
}

TEST_F(About, MemoryFiguresFollowTheLocaleAndTheSystem)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    services.memory = {523760, 57};
    startAll();
    // Filled when the program starts.
    EXPECT_EQ(AboutBox->PhysMem->text(), QStringLiteral("523\u00A0760 KB"));
    EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("57 %"));

    // Every second while it shows.
    services.memory = {16777216, 100};
    showAbout([] {
        QTRY_COMPARE(AboutBox->PhysMem->text(), QStringLiteral("16\u00A0777\u00A0216 KB"));
        EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("100 %"));
    });

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    services.memory = {2097152, 0};
    AboutBox->Timer1Timer();
    EXPECT_EQ(AboutBox->PhysMem->text(), QStringLiteral("2,097,152 KB"));
    EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("0 %"));
}

TEST_F(About, AddressesGoToTheBrowserAndTheMailProgramOnce)
{
    startAll();
    showAbout([] {
        QTest::mouseClick(AboutBox->Label3, Qt::LeftButton);
        QTest::mouseClick(AboutBox->Label5, Qt::LeftButton);
        // The second press of a double-click is no second click.
        QTest::mouseClick(AboutBox->Label3, Qt::LeftButton);
        QTest::mouseDClick(AboutBox->Label3, Qt::LeftButton);
        QTest::mouseRelease(AboutBox->Label3, Qt::LeftButton);
        EXPECT_TRUE(AboutBox->isVisible());
    });
    EXPECT_EQ(services.urls,
              (QStringList{"http://chichotek.example.org", "mailto:chichotek@example.org",
                           "http://chichotek.example.org"}));
    EXPECT_TRUE(services.shown.isEmpty());
}

TEST_F(About, InternetCommands)
{
    folder.write(QStringLiteral("Aktualizace.exe"), "");
    THLAVNI &w = startAll();
    w.Publikovatknihovnu1->trigger();
    EXPECT_EQ(services.texts(), QStringList{"Zabalte vaši knihovnu se vším všudy a pošlete mi ji "
                                            "na Email chichotek@example.org."});

    // The updater: nothing in the program offers it, but it works.
    EXPECT_FALSE(w.Sthnoutvtipy1->isEnabled());
    services.shown.clear();
    QStringList startedBeforeTheNote{"?"};
    services.whenShown = [&](const FakeServices::Shown &) {
        startedBeforeTheNote = services.programs;
    };
    w.Sthnoutvtipy1Click();
    EXPECT_EQ(services.texts(), QStringList{"Změna se projeví až po restartování programu!!!"});
    EXPECT_TRUE(startedBeforeTheNote.isEmpty());
    ASSERT_EQ(services.programs.size(), 1);
    EXPECT_EQ(QFileInfo(services.programs[0]).canonicalFilePath(),
              QFileInfo(folder.absolute(QStringLiteral("Aktualizace.exe"))).canonicalFilePath());
}
