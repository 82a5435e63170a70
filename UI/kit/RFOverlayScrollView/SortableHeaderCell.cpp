#include "SortableHeaderCell.h"

#include "Theme.h"

#include <QPainter>

SortableHeaderCell::SortableHeaderCell(const TableHeaderCell *cell, const QFont &font, const QColor &color)
    : TableHeaderCell(cell ? cell->stringValue() : QString())
{
    m_font = font;
    m_textColor = color;
}

void SortableHeaderCell::setSortAscending(bool ascending, qint64 priority)
{
    m_ascending = ascending;
    m_priority = priority;
}

QPolygonF SortableHeaderCell::sortIndicatorPolygon(const QRectF &frame, bool ascending)
{
    const qreal x0 = frame.right() - 12;
    if (ascending) {
        const qreal y0 = frame.bottom() - 10;
        return QPolygonF({QPointF(x0, y0), QPointF(x0 + 4, y0 - 7), QPointF(x0 + 8, y0)});
    }
    const qreal y0 = frame.top() + 10;
    return QPolygonF({QPointF(x0, y0), QPointF(x0 + 4, y0 + 7), QPointF(x0 + 8, y0)});
}

void SortableHeaderCell::drawSortIndicatorWithFrame(QPainter *painter, const QRectF &frame, QWidget *view,
                                                    bool ascending, qint64 priority) const
{
    Q_UNUSED(view);
    Q_UNUSED(priority);
    if (m_priority != 0)
        return; // the clear colour: nothing to see
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(theme::sortIndicatorColor());
    painter->drawPolygon(sortIndicatorPolygon(frame, ascending));
    painter->restore();
}
