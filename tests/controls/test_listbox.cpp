#include "controls/listbox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct ShownList
{
    ShownList()
    {
        list.resize(185, 238);
        list.setItems({"Alfa", "Beta", "Gama", "Delta"});
        list.show();
        list.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint rowCentre(int row) const
    {
        return list.visualRect(list.model()->index(row, 0)).center();
    }
    ListBox list;
};

} // namespace

TEST(ListBoxSelection, OnlyTheUsersSelectionsAreReported)
{
    ShownList f;
    QSignalSpy selected(&f.list, &ListBox::userSelected);

    // Taking the focus makes a row current but selects nothing.
    f.list.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(selected.count(), 0);
    EXPECT_EQ(f.list.itemIndex(), -1);

    // The program's own moves are not the user's.
    f.list.setItemIndex(2);
    EXPECT_EQ(f.list.itemIndex(), 2);
    EXPECT_EQ(selected.count(), 0);

    QTest::mouseClick(f.list.viewport(), Qt::LeftButton, {}, f.rowCentre(1));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst().at(0).toInt(), 1);

    QTest::keyClick(&f.list, Qt::Key_Down);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst().at(0).toInt(), 2);

    // A key that moves nothing reports nothing; a click below the items neither.
    QTest::keyClick(&f.list, Qt::Key_Shift);
    QTest::mouseClick(f.list.viewport(), Qt::LeftButton, {}, QPoint(10, 200));
    EXPECT_EQ(selected.count(), 0);

    // Typing a first letter selects as the user's choice.
    QTest::keyClick(&f.list, Qt::Key_D);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst().at(0).toInt(), 3);
}

TEST(ListBoxSelection, ReloadingLeavesNoSelection)
{
    ShownList f;
    f.list.setItemIndex(1);
    f.list.setItems({"X", "Y"});
    EXPECT_EQ(f.list.itemIndex(), -1);
    EXPECT_EQ(f.list.count(), 2);
}

TEST(ListBoxItems, FindIgnoresLetterCaseAndTakesTheUpperOfTwo)
{
    ListBox list;
    list.setItems({"Pes", "Čáp", "pes", "Kočka"});
    EXPECT_EQ(list.findExact(QStringLiteral("PES")), 0);
    EXPECT_EQ(list.findExact(QStringLiteral("čÁP")), 1);
    EXPECT_EQ(list.findExact(QStringLiteral("Koč")), -1);
    list.insertItem(0, QStringLiteral("Nový"));
    list.removeItem(2);
    EXPECT_EQ(list.items(), (QStringList{"Nový", "Pes", "pes", "Kočka"}));
}

TEST(ListBoxItems, KeyPressesReachTheWindowBeforeTheList)
{
    ShownList f;
    QSignalSpy keys(&f.list, &ListBox::keyDown);
    QTest::keyClick(&f.list, Qt::Key_Escape);
    QTest::keyClick(&f.list, Qt::Key_Return);
    EXPECT_EQ(keys.count(), 2);
}
