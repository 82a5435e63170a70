#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// How a list paints the background of its rows: one fill for ordinary rows (or one per parity),
// one for the row its owner stored as selected, and an optional line along each row's bottom.
struct RowStyle
{
    QColor evenFill;
    QColor oddFill;
    QColor selectedFill;
    qreal separatorWidth = 0.0; // none when 0
    QColor separatorColor;

    static RowStyle plain(const QColor &fill, const QColor &selected, qreal separatorWidth = 0.0,
                          const QColor &separator = QColor());

    // The stored row wins over parity; a stored row outside the list matches no row.
    QColor fillFor(qint64 row, qint64 storedRow) const;
    // Fills the row's rectangle and draws the separator half a point above its bottom edge.
    void paintRow(QPainter *painter, const QRect &rowRect, qint64 row, qint64 storedRow) const;
};
