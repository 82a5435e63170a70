#pragma once

#include "TableHeaderCell.h"

// A plain white column header with hairline black edges; pressed, it is dimmed. It keeps the font
// and colour it is given (by default the header view's).
class CustomTableHeaderView : public TableHeaderCell
{
public:
    explicit CustomTableHeaderView(const QString &title = QString());

    void drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view) override;
    void highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view) override;
    void drawWithFrame(QPainter *painter, const QRectF &frame, bool highlighted, QWidget *view);

    // The frame less the one-point strip along its bottom.
    static QRectF interiorRect(const QRectF &frame);
};
