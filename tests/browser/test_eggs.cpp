#include "browser/Program.h"
#include "browser/Unit3.h"
#include "browser/Unit4.h"
#include "controls/BLabel.h"
#include "controls/picturebox.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QTimer>

#include <functional>

namespace {

// Runs `check` inside the modal window that opens next, then closes it.
void inNextModal(std::function<void(QWidget *)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        check(modal);
        modal->close();
    });
}

// A double-click as the mouse makes it: press, release, double-click, release.
void doubleClick(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

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

class Eggs : public MainWindowFixture
{
protected:
    void TearDown() override
    {
        (void)window.release();
        destroyWindows();
    }

    THLAVNI &startAll()
    {
        createWindows(folder.path());
        window.reset(HLAVNI);
        return *HLAVNI;
    }

    // The main window shown and active, a joke shown with the quick panel.
    THLAVNI &startWithPanel()
    {
        THLAVNI &w = startAll();
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        openLibrary(0);
        clickRow(0);
        EXPECT_TRUE(w.Panel->isVisible());
        return w;
    }
};

} // namespace

TEST_F(Eggs, FiveDoubleClicksOnTheLibraryIcon)
{
    THLAVNI &w = startAll();
    const QString hint = w.napoveda->text();
    const QString question = QStringLiteral("Máš problém?");
    doubleClick(w.Ikonka);
    doubleClick(w.Ikonka);
    EXPECT_EQ(services.texts(), (QStringList{question, question}));
    EXPECT_TRUE(w.napoveda->isHidden());

    doubleClick(w.Ikonka);
    EXPECT_FALSE(w.napoveda->isHidden());
    EXPECT_TRUE(scrolls(w.napoveda));
    QTRY_VERIFY(w.napoveda->text() != hint);

    doubleClick(w.Ikonka);
    EXPECT_TRUE(w.napoveda->isHidden());
    EXPECT_FALSE(scrolls(w.napoveda));
    EXPECT_EQ(services.shown.size(), 2);

    doubleClick(w.Ikonka);
    EXPECT_EQ(services.texts(), (QStringList{question, question, question}));
    EXPECT_TRUE(w.napoveda->isHidden());
}

TEST_F(Eggs, CtrlOTwiceUnlocksAndLocksThePanel)
{
    THLAVNI &w = startWithPanel();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 103, 27));

    // Unlocked, it is pulled out into a tool window of its own.
    drag(w.Panel, kGrip, QPoint(40, 120));
    ASSERT_TRUE(w.Panel->isWindow());
    EXPECT_TRUE(w.Panel->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(w.Panel->isVisible());
    EXPECT_EQ(w.Panel->size(), QSize(103, 27));

    // Locked again it goes back to its place at its former width.
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->parentWidget(), w.centralWidget());
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 99, 27));
    EXPECT_TRUE(w.Panel->isVisible());

    // Locked, it does not move.
    drag(w.Panel, QPoint(50, 0), QPoint(40, 120));
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 99, 27));

    // The panel menu's "Odemknout" does the same.
    w.Odemk->trigger();
    EXPECT_TRUE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->width(), 103);
    w.Odemk->trigger();
    EXPECT_FALSE(w.Odemk->isChecked());
    EXPECT_EQ(w.Panel->width(), 99);
}

TEST_F(Eggs, FloatingPanelDocksWhenDroppedOnItsPlaceOrClosed)
{
    THLAVNI &w = startWithPanel();
    w.Egg->trigger();
    // A pull that leaves it over its place keeps it docked.
    drag(w.Panel, kGrip, QPoint(0, 10));
    EXPECT_FALSE(w.Panel->isWindow());

    drag(w.Panel, kGrip, QPoint(0, 100));
    const QPoint floated = w.Panel->pos();
    drag(w.Panel, kGrip, QPoint(30, 30));
    EXPECT_EQ(w.Panel->pos(), floated + QPoint(30, 30));
    // Dropped on its place it docks.
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
    EXPECT_EQ(w.Panel->geometry(), QRect(200, 264, 99, 27));
}

TEST_F(Eggs, EverySecondDoubleClickOnTheProgramIconAngersIt)
{
    THLAVNI &w = startAll();
    int angry = 0;
    // The first does nothing visible; closing the box keeps it pending.
    inNextModal([](QWidget *) { doubleClick(AboutBox->ProgramIcon); });
    w.Oaplikaci1->trigger();
    inNextModal([&](QWidget *) {
        inNextModal([&](QWidget *modal) { angry += modal == PlumoNasral; });
        doubleClick(AboutBox->ProgramIcon);
        EXPECT_EQ(QApplication::activeModalWidget(), AboutBox);
        doubleClick(AboutBox->ProgramIcon);
    });
    w.Oaplikaci1->trigger();
    EXPECT_EQ(angry, 1);
    EXPECT_EQ(services.texts(), QStringList{"Mně ani ne!"});
}

TEST_F(Eggs, AngryDialogAnswersAndAsksFromTheStartEachTime)
{
    startAll();
    TPlumoNasral &d = *PlumoNasral;
    EXPECT_EQ(d.Text->text().size(), 75);
    EXPECT_FALSE(scrolls(d.Text));
    const auto showAndClose = [&] {
        inNextModal([&](QWidget *) {
            EXPECT_EQ(d.Text->text(), TPlumoNasral::question());
            EXPECT_TRUE(scrolls(d.Text));
            QTRY_VERIFY(d.Text->text() != TPlumoNasral::question());
        });
        d.exec();
        EXPECT_EQ(d.Text->text(), TPlumoNasral::question());
        EXPECT_FALSE(scrolls(d.Text));
    };
    showAndClose();
    EXPECT_EQ(services.texts(), QStringList{"Mně ani ne!"});
    d.Odpoved->setChecked(false);
    showAndClose();
    EXPECT_EQ(services.texts(), (QStringList{"Mně ani ne!", "Také si myslím!"}));
}

TEST_F(Eggs, ClicksOnTheAngryFace)
{
    startAll();
    TPlumoNasral &d = *PlumoNasral;
    // With "Jo" checked a click does nothing and a double-click only hurts.
    QTest::mouseClick(d.Image1, Qt::LeftButton);
    EXPECT_TRUE(services.shown.isEmpty());
    doubleClick(d.Image1);
    EXPECT_EQ(services.texts(), QStringList{"To bolí ;-<("});
    // Without it a click gives the credits.
    d.Odpoved->setChecked(false);
    QTest::mouseClick(d.Image1, Qt::LeftButton);
    ASSERT_EQ(services.shown.size(), 2);
    EXPECT_NE(services.shown[1].text, services.shown[0].text);
}
