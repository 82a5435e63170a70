#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// Drawing shared by the list and history cells. Their titles are one line of "Helvetica Light" 12,
// left-aligned, the tail replaced by an ellipsis when wider than the rectangle, never wrapped.
namespace celldrawing {

// What of the title fits into the width (the whole title, a truncated one, or nothing at all).
QString truncatedTitle(const QString &title, qreal width);
// Draws the title into the rectangle, top-left aligned and clipped to it.
void drawTitle(QPainter *painter, const QRectF &rect, const QString &title, const QColor &color);
// An image at its own size, 3 points in from the frame's left edge and centred on its height.
QRectF imageFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize);

} // namespace celldrawing
