#pragma once

#include "SortableHeaderCell.h"

// The light column header of the file list: near-white fill, a grey line under the top, along the
// right and along the bottom, a dark title 2 points below the top and 3 in from the left.
class CustomHeaderCell : public SortableHeaderCell
{
public:
    explicit CustomHeaderCell(const TableHeaderCell *cell = nullptr);

    void drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view) override;

    QRectF titleRect(const QRectF &frame) const;
};
