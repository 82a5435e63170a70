#pragma once

#include <QColor>
#include <QWidget>

// A filled frame with rounded corners and a dashed border: solid arcs at the corners, dashes of
// four border widths with gaps of two along the edges. Painted directly rather than through a
// style sheet, which would cost the first window that uses one the style-sheet engine's set-up
// (about a millisecond of the start).
class DashedFrameView : public QWidget
{
public:
    DashedFrameView(qreal borderWidth, qreal cornerRadius, QWidget *parent = nullptr);

    void setColors(const QColor &border, const QColor &fill);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_borderWidth;
    qreal m_cornerRadius;
    QColor m_border;
    QColor m_fill;
};
