#include "DashedFrameView.h"

#include <QPainter>
#include <QPainterPath>

DashedFrameView::DashedFrameView(qreal borderWidth, qreal cornerRadius, QWidget *parent)
    : QWidget(parent), m_borderWidth(borderWidth), m_cornerRadius(cornerRadius)
{
}

void DashedFrameView::setColors(const QColor &border, const QColor &fill)
{
    m_border = border;
    m_fill = fill;
    update();
}

void DashedFrameView::paintEvent(QPaintEvent *)
{
    const QRectF outer(rect());
    const qreal w = m_borderWidth;
    // The corners cannot be larger than half the shorter side.
    const qreal r = qMin(m_cornerRadius, qMin(outer.width(), outer.height()) / 2.0);
    if (outer.isEmpty())
        return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The fill reaches the middle of the border band, so the gaps between the dashes show what
    // lies behind the frame on their outer half.
    const qreal half = w / 2.0;
    const QRectF inner = outer.adjusted(half, half, -half, -half);
    QPainterPath shape;
    shape.addRoundedRect(inner, r - half, r - half);
    painter.fillPath(shape, m_fill);
    if (w <= 0.0)
        return;

    // Corners: quarter circles along the middle of the border band.
    QPen solid(m_border, w, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(solid);
    painter.setBrush(Qt::NoBrush);
    const qreal d = 2.0 * (r - half);
    if (d > 0.0) {
        painter.drawArc(QRectF(inner.left(), inner.top(), d, d), 90 * 16, 90 * 16);
        painter.drawArc(QRectF(inner.right() - d, inner.top(), d, d), 0, 90 * 16);
        painter.drawArc(QRectF(inner.left(), inner.bottom() - d, d, d), 180 * 16, 90 * 16);
        painter.drawArc(QRectF(inner.right() - d, inner.bottom() - d, d, d), 270 * 16, 90 * 16);
    }

    // Edges: dashed between the corners, each starting half a border width clear of its corner.
    QPen dashed(m_border, w, Qt::CustomDashLine, Qt::FlatCap);
    dashed.setDashPattern({4.0, 2.0});
    painter.setPen(dashed);
    const qreal left = outer.left() + r + half;
    const qreal right = outer.right() - r - half;
    const qreal top = outer.top() + r + half;
    const qreal bottom = outer.bottom() - r - half;
    painter.drawLine(QLineF(left, outer.top() + half, right, outer.top() + half));
    painter.drawLine(QLineF(left, outer.bottom() - half, right, outer.bottom() - half));
    painter.drawLine(QLineF(outer.left() + half, top, outer.left() + half, bottom));
    painter.drawLine(QLineF(outer.right() - half, top, outer.right() - half, bottom));
}
