#include "RowStyle.h"

#include <QPainter>

RowStyle RowStyle::plain(const QColor &fill, const QColor &selected, qreal separatorWidth, const QColor &separator)
{
    RowStyle style;
    style.evenFill = fill;
    style.oddFill = fill;
    style.selectedFill = selected;
    style.separatorWidth = separatorWidth;
    style.separatorColor = separator;
    return style;
}

QColor RowStyle::fillFor(qint64 row, qint64 storedRow) const
{
    if (row == storedRow)
        return selectedFill;
    return row % 2 == 0 ? evenFill : oddFill;
}

void RowStyle::paintRow(QPainter *painter, const QRect &rowRect, qint64 row, qint64 storedRow) const
{
    painter->save();
    painter->fillRect(rowRect, fillFor(row, storedRow));
    if (separatorWidth > 0.0) {
        // Each row's own bottom, so rows of different heights still get their line in place.
        const qreal y = rowRect.top() + rowRect.height() - 0.5;
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(separatorColor, separatorWidth, Qt::SolidLine, Qt::FlatCap));
        painter->drawLine(QPointF(rowRect.left(), y), QPointF(rowRect.left() + rowRect.width(), y));
    }
    painter->restore();
}
