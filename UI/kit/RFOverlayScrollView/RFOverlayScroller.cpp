#include "RFOverlayScroller.h"

#include "Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

#include <typeinfo>

RFOverlayScroller::RFOverlayScroller(QWidget *parent)
    : QScrollBar(Qt::Vertical, parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    m_fadeTimer.setSingleShot(true);
    m_fadeTimer.setInterval(kFadeDelayMs);
    connect(&m_fadeTimer, &QTimer::timeout, this, &RFOverlayScroller::fadeOut);
    connect(this, &QScrollBar::valueChanged, this, &RFOverlayScroller::positionChanged);
    connect(this, &QScrollBar::rangeChanged, this, &RFOverlayScroller::positionChanged);
}

bool RFOverlayScroller::isCompatibleWithOverlayScrollers() const
{
    return typeid(*this) == typeid(RFOverlayScroller);
}

int RFOverlayScroller::scrollerWidth()
{
    return theme::kOverlayScrollerWidth;
}

void RFOverlayScroller::setAlpha(qreal alpha)
{
    alpha = qBound<qreal>(0.0, alpha, 1.0);
    if (qFuzzyCompare(alpha + 1.0, m_alpha + 1.0))
        return;
    m_alpha = alpha;
    update();
}

qreal RFOverlayScroller::targetAlpha() const
{
    if (m_animation && m_animation->state() == QAbstractAnimation::Running)
        return m_animation->endValue().toReal();
    return m_alpha;
}

void RFOverlayScroller::animateAlpha(qreal target, int durationMs)
{
    if (m_animation)
        m_animation->stop();
    auto *animation = new QPropertyAnimation(this, "alpha", this);
    animation->setDuration(durationMs);
    animation->setStartValue(m_alpha);
    animation->setEndValue(target);
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void RFOverlayScroller::setFloatValue(float value)
{
    const float fraction = qBound(0.0f, value, 1.0f);
    setValue(minimum() + qRound(fraction * float(maximum() - minimum())));
    // An unchanged position still counts as a report from the scroll view.
    positionChanged();
}

void RFOverlayScroller::positionChanged()
{
    // With nothing to scroll there is no knob, and clicks on the strip belong to the content below.
    setAttribute(Qt::WA_TransparentForMouseEvents, maximum() <= minimum());
    // Every change shows the scroller and pushes the fade further out.
    animateAlpha(1.0, kShowDurationMs);
    m_fadeTimer.start();
}

void RFOverlayScroller::fadeOut()
{
    m_fadeTimer.stop();
    animateAlpha(kFadedAlpha, kFadeDurationMs);
}

void RFOverlayScroller::enterEvent(QEnterEvent *event)
{
    QScrollBar::enterEvent(event);
    animateAlpha(1.0, kEnterDurationMs);
    m_fadeTimer.stop();
}

void RFOverlayScroller::leaveEvent(QEvent *event)
{
    QScrollBar::leaveEvent(event);
    fadeOut();
}

int RFOverlayScroller::trackLength() const
{
    return qMax(0, height() - 2 * theme::kOverlayKnobInset);
}

QRect RFOverlayScroller::knobRect() const
{
    const int span = maximum() - minimum();
    const int track = trackLength();
    if (span <= 0 || track <= 0)
        return QRect();
    const int page = effectivePageStep();
    const qreal proportion = qreal(page) / qreal(span + page);
    const int length = qMin(track, qMax(theme::kOverlayKnobMinimumLength, qRound(track * proportion)));
    const int offset = qRound(qreal(track - length) * qreal(value() - minimum()) / qreal(span));
    const int inset = theme::kOverlayKnobInset;
    return QRect(inset, inset + offset, qMax(0, width() - 2 * inset), length);
}

void RFOverlayScroller::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    const QRect knob = knobRect();
    if (knob.isEmpty() || m_alpha <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QColor color = theme::overlayKnobColor();
    color.setAlphaF(color.alphaF() * m_alpha);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal radius = knob.width() / 2.0;
    painter.drawRoundedRect(QRectF(knob), radius, radius);
}

void RFOverlayScroller::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QRect knob = knobRect();
    if (knob.isEmpty())
        return;
    const int y = qRound(event->position().y());
    if (knob.contains(knob.center().x(), y)) {
        m_dragOffset = y - knob.top();
    } else {
        // A click on the bare track pages towards it.
        setValue(value() + (y < knob.top() ? -effectivePageStep() : effectivePageStep()));
    }
    event->accept();
}

void RFOverlayScroller::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOffset >= 0) {
        const QRect knob = knobRect();
        const int room = trackLength() - knob.height();
        if (room > 0) {
            const qreal top = event->position().y() - m_dragOffset - theme::kOverlayKnobInset;
            const qreal fraction = qBound<qreal>(0.0, top / room, 1.0);
            setValue(minimum() + qRound(fraction * (maximum() - minimum())));
        }
    }
    // A moving pointer over the scroller keeps it fully shown, without waiting for an animation.
    if (m_animation)
        m_animation->stop();
    setAlpha(1.0);
    event->accept();
}

void RFOverlayScroller::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragOffset = -1;
    event->accept();
}
