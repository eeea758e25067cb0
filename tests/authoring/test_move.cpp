#include "editorfixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

const QStringList kOrder = {u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs};

// The editor on a library of jokes A to E with B selected.
class MoveTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        folder.write(u"DataBase/Zvířata/Vtipy.sez"_qs, "A\nB\nC\nD\nE\n");
        open();
        clickRow(editor->Seznam, 1);
    }
    // "Přesunout vtip na..."; `inDialog` runs while the dialog is open.
    void openDialog(std::function<void()> inDialog)
    {
        whenModal(mover.get(), std::move(inDialog));
        editor->Presun->click();
        EXPECT_FALSE(mover->isVisible());
    }
    QStringList preview() const { return mover->Seznam->items(); }
    QStringList order() const { return editor->Seznam->items(); }
};

TEST_F(MoveTest, JokeGoesWhereClickedAndOnlyApplyingChangesTheEditor)
{
    openDialog([&] {
        EXPECT_EQ(mover->Vtip->text(), u"B"_qs);
        EXPECT_EQ(preview(), kOrder);
        EXPECT_EQ(mover->Seznam->itemIndex(), -1);
        clickRow(mover->Seznam, 3);
        EXPECT_EQ(preview(), QStringList({u"A"_qs, u"C"_qs, u"D"_qs, u"B"_qs, u"E"_qs}));
        EXPECT_EQ(order(), kOrder);
        EXPECT_EQ(listBytes(), "A\nB\nC\nD\nE\n");
        mover->BitBtn1->click();
    });
    EXPECT_EQ(order(), QStringList({u"A"_qs, u"C"_qs, u"D"_qs, u"B"_qs, u"E"_qs}));
    EXPECT_EQ(listBytes(), "A\r\nC\r\nD\r\nB\r\nE\r\n");
    EXPECT_EQ(services.texts().last(), u"Váš vtip byl úspěšně přesunut!!!"_qs);
    EXPECT_EQ(editor->Seznam->itemIndex(), -1);
    EXPECT_EQ(editor->Edit->text(), u"B"_qs);
    EXPECT_TRUE(editor->Vtip->isEnabled());
}

TEST_F(MoveTest, EachClickStartsFromTheJokesPlaceInThePreview)
{
    openDialog([&] {
        clickRow(mover->Seznam, 4);
        clickRow(mover->Seznam, 0);
        EXPECT_EQ(preview(), QStringList({u"B"_qs, u"A"_qs, u"C"_qs, u"D"_qs, u"E"_qs}));
        // Enter in the list applies the move.
        QTest::keyClick(mover->Seznam, Qt::Key_Return);
    });
    EXPECT_EQ(listBytes(), "B\r\nA\r\nC\r\nD\r\nE\r\n");
}

TEST_F(MoveTest, ApplyingWithoutAClickRewritesTheSameOrder)
{
    openDialog([&] { mover->BitBtn1->click(); });
    EXPECT_EQ(listBytes(), "A\r\nB\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(services.texts().last(), u"Váš vtip byl úspěšně přesunut!!!"_qs);
    EXPECT_EQ(editor->Seznam->itemIndex(), 1);
}

TEST_F(MoveTest, ClosingLeavesNoTrace)
{
    openDialog([&] {
        clickRow(mover->Seznam, 4);
        clickRow(mover->Seznam, 0);
        mover->BitBtn2->click();
    });
    openDialog([&] {
        EXPECT_EQ(preview(), kOrder);
        mover->close();
    });
    EXPECT_EQ(order(), kOrder);
    EXPECT_EQ(listBytes(), "A\nB\nC\nD\nE\n");
    EXPECT_TRUE(services.texts().isEmpty());
}

TEST_F(MoveTest, WithNothingSelectedItOnlyBeeps)
{
    editor->SpeedButton2->click(); // B moves up, and nothing is selected
    ASSERT_EQ(editor->Seznam->itemIndex(), -1);
    editor->Presun->click();
    EXPECT_EQ(services.beeps, 1);
    EXPECT_FALSE(mover->isVisible());
}

TEST_F(MoveTest, FailedWriteIsReportedAndTheNewOrderKeptInMemory)
{
    QFile::remove(folder.absolute(u"DataBase/Zvířata/Vtipy.sez"_qs));
    folder.mkdir(u"DataBase/Zvířata/Vtipy.sez"_qs);
    openDialog([&] {
        clickRow(mover->Seznam, 3);
        mover->BitBtn1->click();
    });
    ASSERT_FALSE(services.shown.isEmpty());
    EXPECT_EQ(services.shown.last().kind, u"error"_qs);
    EXPECT_FALSE(services.texts().contains(u"Váš vtip byl úspěšně přesunut!!!"_qs));
    EXPECT_EQ(order(), QStringList({u"A"_qs, u"C"_qs, u"D"_qs, u"B"_qs, u"E"_qs}));
}

} // namespace
