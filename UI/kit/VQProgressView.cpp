#include "VQProgressView.h"

#include "KitGeometry.h"
#include "NSProgressBar.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

VQProgressView::VQProgressView(QWidget *parent)
    : QWidget(parent)
    , m_pProgress1(new NSProgressBar(this))
{
    m_pProgress1->setBarWidth(0.0f);
}

VQProgressView::VQProgressView(const QRectF &frame, QWidget *parent)
    : VQProgressView(parent)
{
    kit::setBottomLeftFrame(this, frame);
}

void VQProgressView::changeProgressValue(float percent)
{
    const float width = float(this->width());
    float bar = float(double(percent) / 100.0 * double(width));
    if (bar > width - 1)
        bar = width;
    // Below zero the bar is empty rather than drawn backwards.
    if (!(bar > 0.0f))
        bar = 0.0f;
    m_pProgress1->setBarWidth(bar);
    m_barViewWidth = width;
    update();
}

void VQProgressView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The track keeps its own length whatever the view's width; the bar may run past its end.
    const QRectF track = kit::fromBottomLeft(QRectF(0, 0, kTrackLength, kTrackHeight), qreal(height()));
    QPainterPath path;
    path.addRoundedRect(track, 5.0, qMin(5.0, kTrackHeight / 2.0));
    painter.fillPath(path, theme::progressTrack());
}

void VQProgressView::resizeEvent(QResizeEvent *event)
{
    // The bar stretches with the view and stays on its bottom edge. The width it was set for is
    // kept, since a hidden view learns of its resizes only when shown, without the old size.
    float bar = m_pProgress1->barWidth();
    if (m_barViewWidth > 0)
        bar = float(double(bar) * width() / m_barViewWidth);
    m_barViewWidth = float(width());
    m_pProgress1->setBarWidth(bar);
    QWidget::resizeEvent(event);
}
