#include "editorfixture.h"

namespace {

const QString kMoved = QStringLiteral("Váš vtip byl úspěšně přesunut!!!");

// "ACDBE" as the list {"A", "C", "D", "B", "E"}.
QStringList letters(const char *names)
{
    return QString::fromLatin1(names).split(QString(), Qt::SkipEmptyParts);
}

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
    }
    QStringList preview() const { return mover->Seznam->items(); }
    QStringList order() const { return editor->Seznam->items(); }
};

TEST_F(MoveTest, JokeGoesWhereClickedAndOnlyApplyingChangesTheEditor)
{
    openDialog([&] {
        EXPECT_EQ(mover->Vtip->text(), u"B"_qs);
        EXPECT_EQ(preview(), letters("ABCDE"));
        EXPECT_EQ(mover->Seznam->itemIndex(), -1);
        clickRow(mover->Seznam, 3);
        EXPECT_EQ(preview(), letters("ACDBE"));
        EXPECT_EQ(order(), letters("ABCDE"));
        EXPECT_EQ(listBytes(), "A\nB\nC\nD\nE\n");
        mover->BitBtn1->click();
    });
    EXPECT_EQ(order(), letters("ACDBE"));
    EXPECT_EQ(listBytes(), "A\r\nC\r\nD\r\nB\r\nE\r\n");
    EXPECT_EQ(services.texts().last(), kMoved);
    EXPECT_EQ(view(), u"-1|B|on|"_qs);
}

TEST_F(MoveTest, ClosingApplyingAndEachClickStartingFromTheJokesPlace)
{
    openDialog([&] {
        clickRow(mover->Seznam, 4);
        clickRow(mover->Seznam, 0);
        mover->BitBtn2->click();
    });
    openDialog([&] {
        EXPECT_EQ(preview(), letters("ABCDE"));
        mover->close();
    });
    EXPECT_EQ(order(), letters("ABCDE"));
    EXPECT_EQ(listBytes(), "A\nB\nC\nD\nE\n") << "closing leaves no trace";
    EXPECT_TRUE(services.texts().isEmpty());

    // Applying without a click keeps the order, and the file as it is; B
    // stays selected.
    openDialog([&] { mover->BitBtn1->click(); });
    EXPECT_EQ(listBytes(), "A\nB\nC\nD\nE\n");
    EXPECT_EQ(services.texts(), QStringList{kMoved});
    EXPECT_EQ(editor->Seznam->itemIndex(), 1);

    // Each click starts from the joke's own place; Enter in the list applies.
    openDialog([&] {
        clickRow(mover->Seznam, 4);
        clickRow(mover->Seznam, 0);
        EXPECT_EQ(preview(), letters("BACDE"));
        QTest::keyClick(mover->Seznam, Qt::Key_Return);
    });
    EXPECT_EQ(listBytes(), "B\r\nA\r\nC\r\nD\r\nE\r\n");

    // With nothing selected it only beeps.
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
    EXPECT_TRUE(oneError(services));
    EXPECT_EQ(order(), letters("ACDBE"));
}

} // namespace
