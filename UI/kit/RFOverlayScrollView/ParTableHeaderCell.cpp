#include "ParTableHeaderCell.h"

#include "Theme.h"

#include <QPainter>

ParTableHeaderCell::ParTableHeaderCell(const TableHeaderCell *cell)
    : SortableHeaderCell(cell, theme::helveticaLight(theme::kHeaderTitleFontSize), theme::darkHeaderTitle())
{
}

void ParTableHeaderCell::drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view)
{
    drawInRect(painter, frame, false);
    drawSortIndicatorWithFrame(painter, frame, view, m_ascending, m_priority);
}

void ParTableHeaderCell::highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view)
{
    Q_UNUSED(flag);
    drawInRect(painter, frame, true);
    drawSortIndicatorWithFrame(painter, frame, view, m_ascending, m_priority);
}

QRectF ParTableHeaderCell::titleRect(const QRectF &frame) const
{
    QRectF rect = frame;
    if (m_priority == 0)
        rect.setWidth(rect.width() - 8);
    return rect.translated(0, 5);
}

void ParTableHeaderCell::drawInRect(QPainter *painter, const QRectF &frame, bool hilighted)
{
    Q_UNUSED(hilighted); // pressed and resting headers look the same
    painter->fillRect(frame, theme::darkHeaderFill());

    // Whole-pixel rows: the line under the top edge and the frame's last row.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(theme::darkHeaderLine(), 1.0));
    const int left = qFloor(frame.left());
    const int right = qCeil(frame.right()) - 1;
    const int bottom = qCeil(frame.bottom()) - 1;
    const int underTop = qFloor(frame.top()) + 1;
    painter->drawLine(left, bottom, right, bottom);
    painter->drawLine(left, underTop, right, underTop);
    painter->restore();

    drawTitle(painter, titleRect(frame), Qt::AlignLeft | Qt::AlignTop);
}
