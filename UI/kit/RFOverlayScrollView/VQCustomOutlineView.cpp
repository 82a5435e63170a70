#include "VQCustomOutlineView.h"

#include "RowStyledTableView.h"
#include "Theme.h"

#include <QHeaderView>
#include <QPainter>

VQCustomOutlineView::VQCustomOutlineView(QWidget *parent)
    : QTreeView(parent)
    , m_rowStyle(RowStyle::plain(theme::outlineRowFill(), theme::outlineRowSelectedFill()))
{
    clearSelectionHighlight(this);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, theme::outlineRowFill());
    viewport()->setPalette(palette);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
}

void VQCustomOutlineView::setIsSelectRow(int row)
{
    if (row == m_isSelectRow)
        return;
    m_isSelectRow = row;
    viewport()->update();
}

int VQCustomOutlineView::visualRowOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    const QRect rect = visualRect(index);
    if (!rect.isValid())
        return -1;
    return rowAtTop(rect.top(), rect.height(), index);
}

int VQCustomOutlineView::rowAtTop(int top, int height, const QModelIndex &index) const
{
    // Rows of one height stand at whole multiples of it: the row follows from where it is drawn,
    // however long the history. Otherwise they are counted.
    if (uniformRowHeights() && height > 0)
        return (top + verticalOffset()) / height;
    int row = 0;
    for (QModelIndex above = indexAbove(index); above.isValid(); above = indexAbove(above))
        ++row;
    return row;
}

void VQCustomOutlineView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const int width = qMax(viewport()->width(), header()->length());
    const QRect rowRect(0, option.rect.top(), width, option.rect.height());
    m_rowStyle.paintRow(painter, rowRect, rowAtTop(option.rect.top(), option.rect.height(), index),
                        m_isSelectRow);
    QTreeView::drawRow(painter, option, index);
}
