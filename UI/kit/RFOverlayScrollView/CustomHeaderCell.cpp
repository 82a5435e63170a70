#include "CustomHeaderCell.h"

#include "Theme.h"

#include <QPainter>

CustomHeaderCell::CustomHeaderCell(const TableHeaderCell *cell)
    : SortableHeaderCell(cell, theme::helveticaLight(theme::kHeaderTitleFontSize), theme::lightHeaderTitle())
{
}

QRectF CustomHeaderCell::titleRect(const QRectF &frame) const
{
    QRectF rect = frame;
    if (m_priority != 0)
        rect.translate(3, 0);
    else
        rect.setWidth(rect.width() - 8);
    return rect.translated(0, 2);
}

void CustomHeaderCell::drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view)
{
    Q_UNUSED(view);
    painter->fillRect(frame, theme::lightHeaderFill());

    // One open path: under the top, down the right edge, back along the bottom, on whole pixels.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(theme::lightHeaderLine(), 1.0));
    painter->setBrush(Qt::NoBrush);
    const int left = qFloor(frame.left());
    const int right = qCeil(frame.right()) - 1;
    const int bottom = qCeil(frame.bottom()) - 1;
    const int underTop = qFloor(frame.top()) + 1;
    const QPoint path[] = {QPoint(left, underTop), QPoint(right, underTop), QPoint(right, bottom),
                           QPoint(left, bottom)};
    painter->drawPolyline(path, 4);
    painter->restore();

    drawTitle(painter, titleRect(frame), Qt::AlignLeft | Qt::AlignTop);
}
