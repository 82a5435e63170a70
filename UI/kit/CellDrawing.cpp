#include "CellDrawing.h"

#include "Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace celldrawing {

QString truncatedTitle(const QString &title, qreal width)
{
    if (title.isEmpty() || width <= 0)
        return QString();
    // A path may hold line breaks; the cell shows one line whatever the text.
    QString line = title;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QFontMetricsF(theme::cellTitleFont()).elidedText(line, Qt::ElideRight, width);
}

void drawTitle(QPainter *painter, const QRectF &rect, const QString &title, const QColor &color)
{
    const QString shown = truncatedTitle(title, rect.width());
    if (shown.isEmpty() || rect.height() <= 0)
        return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(theme::cellTitleFont());
    painter->setPen(color);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    painter->restore();
}

QRectF imageFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize)
{
    return QRectF(frame.x() + 3, frame.y() + std::ceil((frame.height() - imageSize.height()) / 2),
                  imageSize.width(), imageSize.height());
}

} // namespace celldrawing
