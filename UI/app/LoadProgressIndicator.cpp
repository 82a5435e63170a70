#include "LoadProgressIndicator.h"

#include "Theme.h"

#include <QPainter>

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMs = 80;
} // namespace

LoadProgressIndicator::LoadProgressIndicator(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setInterval(kStepMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

void LoadProgressIndicator::startAnimation()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void LoadProgressIndicator::stopAnimation()
{
    m_timer.stop();
}

void LoadProgressIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    QPen pen(theme::spinnerColor());
    pen.setWidthF(qMax(1.5, side / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The spoke at the current step is darkest; the ones behind it fade out.
        const int age = (m_step - spoke + kSpokes) % kSpokes;
        QColor color = theme::spinnerColor();
        color.setAlphaF(1.0 - 0.75 * age / kSpokes);
        pen.setColor(color);
        painter.setPen(pen);
        painter.save();
        painter.rotate(spoke * 360.0 / kSpokes);
        painter.drawLine(QPointF(0, -side * 0.25), QPointF(0, -side * 0.45));
        painter.restore();
    }
}
