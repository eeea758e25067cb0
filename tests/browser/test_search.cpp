#include "browser/Hledat.h"
#include "browser/Program.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

const QString kHint = QStringLiteral("Bohužel musíte zadat celý název vtipu!!!");

class Search : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        folder.makeLibrary(QStringLiteral("Zoo"),
                           {QStringLiteral("Tučňák"), QStringLiteral("Opice"),
                            QStringLiteral("Žirafa"), QStringLiteral("opice")});
    }

    void TearDown() override
    {
        (void)window.release();
        destroyWindows();
    }

    // The program with the library "Zoo" open and its first joke shown.
    THLAVNI &startInZoo()
    {
        createWindows(folder.path());
        window.reset(HLAVNI);
        openLibrary(2);
        clickRow(0);
        EXPECT_EQ(window->Edit->text(), QStringLiteral("Tučňák"));
        return *HLAVNI;
    }

    void find(const QString &text)
    {
        look->text->setText(text);
        look->BitBtn1->click();
    }
};

} // namespace

TEST_F(Search, OpeningExplainsOnlyWhenTheWindowIsNotYetShown)
{
    THLAVNI &w = startInZoo();
    EXPECT_FALSE(look->isVisible());
    w.Najit->trigger();
    EXPECT_EQ(services.texts(), QStringList{kHint});
    EXPECT_TRUE(look->isVisible());
    EXPECT_EQ(look->pos(), QPoint(295, 179));
    EXPECT_EQ(look->size(), QSize(154, 81));
    // Not modal: the main window goes on working.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    w.Najit->trigger();
    EXPECT_EQ(services.shown.size(), 1);

    look->close();
    w.Najit->trigger();
    EXPECT_EQ(services.texts(), (QStringList{kHint, kHint}));
}

TEST_F(Search, FindsAWholeNameIgnoringLetterCaseWithoutShowingIt)
{
    THLAVNI &w = startInZoo();
    const QString shownJoke = w.Vtip->toPlainText();
    find(QStringLiteral("ŽIRAFA"));
    EXPECT_EQ(w.Seznam->itemIndex(), 2);
    EXPECT_TRUE(services.shown.isEmpty());
    // Selecting is all the search does: the joke shown before stays.
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Tučňák"));
    EXPECT_EQ(w.Vtip->toPlainText(), shownJoke);

    // The user shows it by clicking it.
    clickRow(2);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Žirafa"));
    EXPECT_TRUE(w.Vtip->toPlainText().contains(QStringLiteral("Žirafa")));
}

TEST_F(Search, TheBeginningOfANameIsNotFound)
{
    THLAVNI &w = startInZoo();
    find(QStringLiteral("T"));
    EXPECT_EQ(services.texts(), QStringList{"Nemůžu najít vtip \"T\""});
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    EXPECT_EQ(w.Edit->text(), QStringLiteral("Tučňák"));

    services.shown.clear();
    find(QString());
    EXPECT_EQ(services.texts(), QStringList{"Nemůžu najít vtip \"\""});
}

TEST_F(Search, OfTwoEqualNamesTheUpperIsSelected)
{
    THLAVNI &w = startInZoo();
    find(QStringLiteral("opice"));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    w.Seznam->setItemIndex(3);
    find(QStringLiteral("OPICE"));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
}

TEST_F(Search, EnterInTheBoxSearchesOnce)
{
    THLAVNI &w = startInZoo();
    w.Najit->trigger();
    services.shown.clear();
    look->activateWindow();
    look->text->setFocus();
    look->text->setText(QStringLiteral("Slon"));
    QTest::keyClick(look->text, Qt::Key_Return);
    EXPECT_EQ(services.texts(), QStringList{"Nemůžu najít vtip \"Slon\""});
    QTest::keyClick(look->text, Qt::Key_Enter);
    EXPECT_EQ(services.shown.size(), 2);
    EXPECT_TRUE(look->isVisible());

    // Other keys are the edit box's.
    look->text->clear();
    QTest::keyClicks(look->text, "Opice");
    EXPECT_EQ(look->text->text(), QStringLiteral("Opice"));
    QTest::keyClick(look->text, Qt::Key_Return);
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(services.shown.size(), 2);
}

TEST_F(Search, TheWindowKeepsItsTextAndSearchesWhatTheListShows)
{
    THLAVNI &w = startInZoo();
    w.Najit->trigger();
    look->text->setText(QStringLiteral("škola"));
    // Back in library mode the open find window works on the library names.
    w.Tlac->click();
    ASSERT_EQ(Rezim, RezimKnihovny);
    EXPECT_TRUE(look->isVisible());
    look->Hledej->trigger();
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(look->text->text(), QStringLiteral("škola"));
}
