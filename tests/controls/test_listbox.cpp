#include "controls/listbox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(ListBox, OnlyTheUsersSelectionsAreReportedAndEveryKeyIsPassedOn)
{
    ListBox list;
    list.resize(185, 238);
    list.setItems({"Alfa", "Beta", "Gama", "Delta"});
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy selected(&list, &ListBox::userSelected);
    const auto takeSelected = [&] {
        return selected.count() == 1 ? selected.takeFirst().at(0).toInt() : -selected.count();
    };

    // Taking the focus makes a row current but selects nothing.
    list.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list.itemIndex(), -1);
    // The program's own moves are not the user's.
    list.setItemIndex(2);
    EXPECT_EQ(list.itemIndex(), 2);
    EXPECT_EQ(selected.count(), 0);

    const QPoint row1 = list.visualRect(list.model()->index(1, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(takeSelected(), 1);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(takeSelected(), 2);
    // A key that moves nothing reports nothing; a click below the items neither.
    QTest::keyClick(&list, Qt::Key_Shift);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, 200));
    EXPECT_EQ(selected.count(), 0);
    // Typing a first letter selects as the user's choice.
    QTest::keyClick(&list, Qt::Key_D);
    EXPECT_EQ(takeSelected(), 3);

    // Every key press reaches the window before the list.
    QSignalSpy keys(&list, &ListBox::keyDown);
    QTest::keyClick(&list, Qt::Key_Escape);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(keys.count(), 2);

    // Reloading leaves no selection.
    list.setItems({"X", "Y"});
    EXPECT_EQ(list.itemIndex(), -1);
    EXPECT_EQ(list.count(), 2);
}

TEST(ListBox, FindIgnoresLetterCaseAndTakesTheUpperOfTwo)
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
