#include "listbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyledItemDelegate>

namespace {

class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    FixedHeightDelegate(const int *height, QObject *parent)
        : QStyledItemDelegate(parent), m_height(height)
    {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), *m_height};
    }

private:
    const int *m_height;
};

} // namespace

ListBox::ListBox(QWidget *parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setItemDelegate(new FixedHeightDelegate(&m_itemHeight, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTextElideMode(Qt::ElideNone);
}

QStringList ListBox::items() const
{
    return m_model->stringList();
}

void ListBox::setItems(const QStringList &items)
{
    m_model->setStringList(items);
}

void ListBox::showItems(const QStringList &items, int select)
{
    if (items != m_model->stringList()) {
        const int top = verticalScrollBar()->value();
        m_model->setStringList(items);
        verticalScrollBar()->setValue(top);
    }
    setItemIndex(select);
}

int ListBox::count() const
{
    return m_model->rowCount();
}

QString ListBox::item(int row) const
{
    return m_model->data(m_model->index(row), Qt::DisplayRole).toString();
}

void ListBox::setItem(int row, const QString &text)
{
    m_model->setData(m_model->index(row), text);
}

void ListBox::insertItem(int row, const QString &text)
{
    m_model->insertRows(row, 1);
    m_model->setData(m_model->index(row), text);
}

void ListBox::removeItem(int row)
{
    m_model->removeRows(row, 1);
}

int ListBox::itemIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::setItemIndex(int row)
{
    if (row < 0 || row >= count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

int ListBox::findExact(const QString &text) const
{
    const QStringList &list = m_model->stringList();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].compare(text, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void ListBox::setItemHeight(int height)
{
    m_itemHeight = height;
    doItemsLayout();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    QListView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            emit userSelected(index.row());
    }
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClickedList();
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event);
    const int before = itemIndex();
    QListView::keyPressEvent(event);
    const int after = itemIndex();
    if (after >= 0 && after != before)
        emit userSelected(after);
}
