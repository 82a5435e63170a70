#pragma once

#include "SortableHeaderCell.h"

// The dark column header: flat navy fill, a darker line under the top and along the bottom, a light
// title 5 points below the top. Pressing it changes nothing in its look.
class ParTableHeaderCell : public SortableHeaderCell
{
public:
    explicit ParTableHeaderCell(const TableHeaderCell *cell = nullptr);

    void drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view) override;
    void highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view) override;

    // Where the title goes for a frame, given the stored priority.
    QRectF titleRect(const QRectF &frame) const;

private:
    void drawInRect(QPainter *painter, const QRectF &frame, bool hilighted);
};
