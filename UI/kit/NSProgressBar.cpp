#include "NSProgressBar.h"

#include "KitGeometry.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

NSProgressBar::NSProgressBar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NSProgressBar::setBarWidth(float width)
{
    m_barWidth = width;
    const int covered = width > 0 ? int(std::ceil(width)) : 0;
    kit::setBottomLeftFrame(this, QRectF(0, 0, covered, kHeight));
    update();
}

void NSProgressBar::paintEvent(QPaintEvent *)
{
    if (m_barWidth <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    // Corners shrink with a bar narrower than they are, so a short bar stays a small pill.
    const qreal radius = qMin<qreal>(3.0, m_barWidth / 2.0);
    path.addRoundedRect(QRectF(0, 0, m_barWidth, kHeight), radius, qMin<qreal>(3.0, kHeight / 2.0));
    painter.fillPath(path, theme::progressBar());
}
