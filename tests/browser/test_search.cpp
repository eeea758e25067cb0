#include "browser/Hledat.h"
#include "support/mainwindowfixture.h"

namespace {

const QString kHint = QStringLiteral("Bohužel musíte zadat celý název vtipu!!!");

class Search : public MainWindowFixture
{
protected:
    // The program with the library "Zoo" open and its first joke shown.
    THLAVNI &startInZoo()
    {
        folder.makeLibrary(QStringLiteral("Zoo"),
                           {QStringLiteral("Tučňák"), QStringLiteral("Opice"),
                            QStringLiteral("Žirafa"), QStringLiteral("opice")});
        startAll();
        openLibrary(2);
        clickRow(0);
        EXPECT_EQ(window->Edit->text(), QStringLiteral("Tučňák"));
        return *window;
    }

    void find(const QString &text)
    {
        look->text->setText(text);
        look->BitBtn1->click();
    }
};

} // namespace

TEST_F(Search, FindWindowExplainsOnceSearchesOnEnterAndFollowsTheMode)
{
    THLAVNI &w = startInZoo();
    EXPECT_FALSE(look->isVisible());
    w.Najit->trigger();
    EXPECT_EQ(services.texts(), QStringList{kHint});
    EXPECT_TRUE(look->isVisible());
    EXPECT_EQ(QRect(look->pos(), look->size()), QRect(295, 179, 154, 81));
    // Not modal: the main window goes on working.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // Only when the window is not yet shown.
    w.Najit->trigger();
    EXPECT_EQ(services.shown.size(), 1);
    look->close();
    w.Najit->trigger();
    EXPECT_EQ(services.texts(), (QStringList{kHint, kHint}));

    // Enter in the box searches once; other keys are the edit box's.
    services.shown.clear();
    look->activateWindow();
    look->text->setFocus();
    look->text->setText(QStringLiteral("Slon"));
    QTest::keyClick(look->text, Qt::Key_Return);
    EXPECT_EQ(services.texts(), QStringList{"Nemůžu najít vtip \"Slon\""});
    QTest::keyClick(look->text, Qt::Key_Enter);
    EXPECT_EQ(services.shown.size(), 2);
    EXPECT_TRUE(look->isVisible());
    look->text->clear();
    QTest::keyClicks(look->text, "Opice");
    EXPECT_EQ(look->text->text(), QStringLiteral("Opice"));
    QTest::keyClick(look->text, Qt::Key_Return);
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(services.shown.size(), 2);

    // Back in library mode the open window keeps its text and searches the
    // library names.
    look->text->setText(QStringLiteral("škola"));
    w.Tlac->click();
    ASSERT_EQ(Rezim, RezimKnihovny);
    EXPECT_TRUE(look->isVisible());
    look->Hledej->trigger();
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    EXPECT_EQ(look->text->text(), QStringLiteral("škola"));
}

TEST_F(Search, SelectsTheUpperOfTheWholeNamesEqualIgnoringCaseWithoutShowingIt)
{
    THLAVNI &w = startInZoo();
    const QString shownJoke = w.Vtip->toPlainText();
    // The beginning of a name is not found, nor an empty name.
    find(QStringLiteral("T"));
    EXPECT_EQ(services.texts(), QStringList{"Nemůžu najít vtip \"T\""});
    EXPECT_EQ(w.Seznam->itemIndex(), -1);
    find(QString());
    EXPECT_EQ(services.texts(), (QStringList{"Nemůžu najít vtip \"T\"", "Nemůžu najít vtip \"\""}));

    services.shown.clear();
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

    find(QStringLiteral("opice"));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
    w.Seznam->setItemIndex(3);
    find(QStringLiteral("OPICE"));
    EXPECT_EQ(w.Seznam->itemIndex(), 1);
}
