#include "TableHeaderCell.h"

#include <QPainter>

TableHeaderCell::TableHeaderCell(const QString &title)
    : m_title(title)
{
}

void TableHeaderCell::highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view)
{
    Q_UNUSED(flag);
    drawWithFrame(painter, frame, view);
}

void TableHeaderCell::drawTitle(QPainter *painter, const QRectF &rect, int alignment) const
{
    if (m_title.isEmpty() || rect.width() <= 0)
        return;
    painter->save();
    painter->setFont(m_font);
    painter->setPen(m_textColor);
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->drawText(rect, alignment | Qt::TextSingleLine, m_title);
    painter->restore();
}
