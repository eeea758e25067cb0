#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "controls/BLabel.h"
#include "support/mainwindowfixture.h"

#include <QCheckBox>
#include <QFrame>

namespace {

// Drags `widget` with the left button from `from` by `by`.
void drag(QWidget *widget, QPoint from, QPoint by)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, from + by / 2);
    QTest::mouseMove(widget, from + by);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, from + by);
}

bool scrolls(TBLabel *label)
{
    return label->active() && label->timer()->isActive();
}

const QPoint kGrip(101, 13); // in the strip the unlocked panel gains
const QRect kDocked(200, 264, 99, 27);

using Eggs = MainWindowFixture;

} // namespace

TEST_F(Eggs, FiveDoubleClicksOnTheLibraryIcon)
{
    THLAVNI &w = startAll();
    const QString hint = w.napoveda->text();
    // Two questions, then the scrolling hint, hidden again, and a question.
    int click = 0;
    for (const auto &[questions, shown] :
         {std::pair{1, false}, {2, false}, {2, true}, {2, false}, {3, false}}) {
        SCOPED_TRACE(++click);
        doubleClick(w.Ikonka);
        EXPECT_EQ(services.texts(), QStringList(questions, QStringLiteral("Máš problém?")));
        EXPECT_EQ(w.napoveda->isHidden(), !shown);
        EXPECT_EQ(scrolls(w.napoveda), shown);
        if (shown)
            QTRY_VERIFY(w.napoveda->text() != hint);
    }
}

TEST_F(Eggs, CtrlOTwiceUnlocksAndLocksThePanelThatCanFloatWhenUnlocked)
{
    THLAVNI &w = startAll();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    openLibrary(0);
    clickRow(0);
    ASSERT_TRUE(w.Panel->isVisible());
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 103, 27));

    // Unlocked, it is pulled out into a tool window of its own.
    drag(w.Panel, kGrip, QPoint(40, 120));
    ASSERT_TRUE(w.Panel->isWindow());
    EXPECT_TRUE(w.Panel->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(w.Panel->isVisible());
    EXPECT_EQ(w.Panel->size(), QSize(103, 27));

    // Locked again it goes back to its place at its former width, and stays.
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->parentWidget(), w.centralWidget());
    EXPECT_TRUE(w.Panel->isVisible());
    drag(w.Panel, QPoint(50, 0), QPoint(40, 120));
    EXPECT_EQ(w.Panel->geometry(), kDocked);

    // The panel menu's "Odemknout" does the same.
    w.Odemk->trigger();
    EXPECT_TRUE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->width(), 103);
    w.Odemk->trigger();
    EXPECT_FALSE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->width(), 99);

    // Unlocked, a pull that leaves it over its place keeps it docked.
    w.Egg->trigger();
    drag(w.Panel, kGrip, QPoint(0, 10));
    EXPECT_FALSE(w.Panel->isWindow());
    // Floating, it is dragged about; dropped on its place it docks.
    drag(w.Panel, kGrip, QPoint(0, 100));
    const QPoint floated = w.Panel->pos();
    drag(w.Panel, kGrip, QPoint(30, 30));
    EXPECT_EQ(w.Panel->pos(), floated + QPoint(30, 30));
    const QPoint home = w.centralWidget()->mapToGlobal(QPoint(200, 264));
    drag(w.Panel, kGrip, w.Panel->mapFromGlobal(home));
    EXPECT_FALSE(w.Panel->isWindow());
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 103, 27));

    // Its close box docks it too, still unlocked.
    drag(w.Panel, kGrip, QPoint(0, 100));
    ASSERT_TRUE(w.Panel->isWindow());
    w.Panel->close();
    QTRY_VERIFY(!w.Panel->isWindow());
    EXPECT_TRUE(w.Panel->isVisible() && w.Odemk->isChecked());

    // Floating, it follows the mode as it does docked.
    drag(w.Panel, kGrip, QPoint(0, 100));
    w.Tlac->click();
    EXPECT_FALSE(w.Panel->isVisible());
    w.Egg->trigger();
    EXPECT_FALSE(w.Panel->isWindow());
    EXPECT_TRUE(w.Panel->isHidden());
    EXPECT_EQ(w.Panel->geometry(), kDocked);
}

TEST_F(Eggs, AngryDialogAsksAfreshEachTimeAnswersAndComesAtEverySecondIconDoubleClick)
{
    THLAVNI &w = startAll();
    TPlumoNasral &d = *PlumoNasral;
    EXPECT_EQ(d.Text->text().size(), 75);
    EXPECT_FALSE(scrolls(d.Text));
    const auto showAndClose = [&] {
        onNextModal([&](QWidget *) {
            EXPECT_EQ(d.Text->text(), TPlumoNasral::question());
            EXPECT_TRUE(scrolls(d.Text));
            QTRY_VERIFY(d.Text->text() != TPlumoNasral::question());
        });
        d.exec();
        EXPECT_EQ(d.Text->text(), TPlumoNasral::question());
        EXPECT_FALSE(scrolls(d.Text));
    };
    // With "Jo" checked a click on the face does nothing and a double-click
    // only hurts.
    QTest::mouseClick(d.Image1, Qt::LeftButton);
    EXPECT_TRUE(services.shown.isEmpty());
    doubleClick(d.Image1);
    showAndClose();
    EXPECT_EQ(services.texts(), (QStringList{"To bolí ;-<(", "Mně ani ne!"}));
    // Without it a click gives the credits.
    d.Odpoved->setChecked(false);
    QTest::mouseClick(d.Image1, Qt::LeftButton);
    showAndClose();
    ASSERT_EQ(services.shown.size(), 4);
    EXPECT_FALSE(services.texts().mid(0, 2).contains(services.shown[2].text));
    EXPECT_EQ(services.shown[3].text, QStringLiteral("Také si myslím!"));

    // From the about box: the first double-click on the program's icon does
    // nothing visible, and closing the box keeps it pending.
    d.Odpoved->setChecked(true);
    services.shown.clear();
    int angry = 0;
    onNextModal([](QWidget *) { doubleClick(AboutBox->ProgramIcon); });
    w.Oaplikaci1->trigger();
    onNextModal([&](QWidget *) {
        onNextModal([&](QWidget *modal) { angry += modal == PlumoNasral; }, AboutBox);
        doubleClick(AboutBox->ProgramIcon);
        EXPECT_EQ(QApplication::activeModalWidget(), AboutBox);
        doubleClick(AboutBox->ProgramIcon);
    });
    w.Oaplikaci1->trigger();
    EXPECT_EQ(angry, 1);
    EXPECT_EQ(services.texts(), QStringList{"Mně ani ne!"});
}
