#pragma once

#include "TableHeaderCell.h"

#include <QPolygonF>

// A styled header cell that can mark its column as the sorted one with a small white triangle at
// its right end. Unless told otherwise the column is not the sorted one and the triangle is clear.
class SortableHeaderCell : public TableHeaderCell
{
public:
    // Takes over the title of the column's previous header cell, in the given font and colour.
    SortableHeaderCell(const TableHeaderCell *cell, const QFont &font, const QColor &color);

    void setSortAscending(bool ascending, qint64 priority);
    bool ascending() const { return m_ascending; }
    qint64 priority() const { return m_priority; }

    // The triangle's corners for a frame: the direction comes from the argument.
    static QPolygonF sortIndicatorPolygon(const QRectF &frame, bool ascending);
    // Filled white only when the stored priority is 0; the priority argument is not consulted.
    void drawSortIndicatorWithFrame(QPainter *painter, const QRectF &frame, QWidget *view, bool ascending,
                                    qint64 priority) const;

protected:
    bool m_ascending = true;
    qint64 m_priority = 1;
};
