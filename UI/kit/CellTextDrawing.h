#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The one-line titles the list and history cells draw: "Helvetica Light" 12, left-aligned, the
// tail replaced by an ellipsis when the title is wider than its rectangle, never wrapped.
namespace celltext {

// What of the title fits into the width (the whole title, a truncated one, or nothing at all).
QString truncatedTitle(const QString &title, qreal width);
// Draws the title into the rectangle, top-left aligned and clipped to it.
void drawTitle(QPainter *painter, const QRectF &rect, const QString &title, const QColor &color);

} // namespace celltext
