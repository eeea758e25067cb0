#include "browser/Unit4.h"
#include "support/mainwindowfixture.h"

#include <QLabel>
#include <QScreen>

namespace {

class About : public MainWindowFixture
{
protected:
    // Shows the about box from the menu; `whileOpen` runs while it is open.
    void showAbout(std::function<void()> whileOpen)
    {
        bool opened = false;
        onNextModal([&](QWidget *modal) {
            opened = modal == AboutBox;
            whileOpen();
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

TEST_F(About, EveryShowingStartsWithTheVersionAndTheFiguresFollowTheSystemAndTheLocale)
{
    setCzechLocale();
    services.memory = {523760, 57};
    startAll();
    // Filled when the program starts, and every second while the box shows.
    EXPECT_EQ(AboutBox->PhysMem->text(), QStringLiteral("523\u00A0760 KB"));
    EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("57 %"));
    services.memory = {16777216, 100};
    showAbout([] {
        EXPECT_TRUE(versionShows());
        EXPECT_EQ(AboutBox->size(), QSize(239, 137));
        EXPECT_EQ(AboutBox->geometry().center(), AboutBox->screen()->geometry().center());
        EXPECT_TRUE(AboutBox->Timer1->isActive());
        QTest::mouseClick(AboutBox->Label2, Qt::LeftButton);
        EXPECT_FALSE(versionShows());
        QTRY_COMPARE(AboutBox->PhysMem->text(), QStringLiteral("16\u00A0777\u00A0216 KB"));
        EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("100 %"));
        QTest::mouseClick(AboutBox->Label3, Qt::LeftButton);
        QTest::mouseClick(AboutBox->Label5, Qt::LeftButton);
        // The second press of a double-click is no second click.
        doubleClick(AboutBox->Label3);
        EXPECT_TRUE(AboutBox->isVisible());
    });
    EXPECT_FALSE(AboutBox->Timer1->isActive());
    EXPECT_EQ(services.urls,
              (QStringList{"http://chichotek.example.org", "mailto:chichotek@example.org",
                           "http://chichotek.example.org"}));
    EXPECT_TRUE(services.shown.isEmpty());

    showAbout([] {
        EXPECT_TRUE(versionShows());
        QTest::mouseClick(AboutBox->Version, Qt::LeftButton);
        EXPECT_FALSE(versionShows());
        // Esc closes it too, and stops the figures.
        QTest::keyClick(AboutBox, Qt::Key_Escape);
        EXPECT_FALSE(AboutBox->isVisible() || AboutBox->Timer1->isActive());
    });

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    services.memory = {2097152, 0};
    AboutBox->Timer1Timer();
    EXPECT_EQ(AboutBox->PhysMem->text(), QStringLiteral("2,097,152 KB"));
    EXPECT_EQ(AboutBox->FreeRes->text(), QStringLiteral("0 %"));
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
