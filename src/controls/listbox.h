#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// A list box of text items: one selected item at most, a fixed item height,
// and a signal for the selections the user makes (a click on an item, the
// arrow keys, typing a first letter) that is not sent when the program moves
// the selection or when the list only takes the keyboard focus.
class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    QStringList items() const;
    // Replaces every item; the list then has no selection.
    void setItems(const QStringList &items);
    // Replaces the items with the same list changed a little (by a command,
    // or from outside): the view stays where it was, and `select` is the
    // selected row (-1: none).
    void showItems(const QStringList &items, int select);
    int count() const;
    QString item(int row) const;
    void setItem(int row, const QString &text);
    void insertItem(int row, const QString &text);
    void removeItem(int row);
    // The selected row, or -1.
    int itemIndex() const;
    // Selects a row (-1: none) without telling the user-selection handlers.
    void setItemIndex(int row);
    // The first row whose text equals `text` ignoring letter case, or -1.
    int findExact(const QString &text) const;
    void setItemHeight(int height);

signals:
    // The user selected `row`.
    void userSelected(int row);
    // A double-click anywhere in the list.
    void doubleClickedList();
    // Every key press, before the list handles it.
    void keyDown(QKeyEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QStringListModel *m_model;
    int m_itemHeight = 13;
};
