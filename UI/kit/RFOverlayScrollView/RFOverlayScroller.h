#pragma once

#include <QPointer>
#include <QScrollBar>
#include <QTimer>

class QPropertyAnimation;

// A vertical scroller drawn as a bare rounded knob over the content: no track, no arrows. It shows
// while the position changes or the pointer is over it and fades out 1.5 seconds after the last
// change, or at once when the pointer leaves.
class RFOverlayScroller : public QScrollBar
{
    Q_OBJECT
    Q_PROPERTY(qreal alpha READ alpha WRITE setAlpha)
public:
    static constexpr int kFadeDelayMs = 1500;
    static constexpr int kShowDurationMs = 250;
    static constexpr int kEnterDurationMs = 100;
    static constexpr int kFadeDurationMs = 300;
    // What a faded-out scroller keeps of its opacity.
    static constexpr qreal kFadedAlpha = 0.0;

    explicit RFOverlayScroller(QWidget *parent = nullptr);

    // True only for this class itself: a subclass may draw a track again and must say so.
    virtual bool isCompatibleWithOverlayScrollers() const;
    // The width the content is laid out for: none, the scroller lies over it.
    static qreal zeroWidth() { return 0.0; }
    // The width the scroller itself takes at the content's right edge.
    static int scrollerWidth();

    qreal alpha() const { return m_alpha; }
    void setAlpha(qreal alpha);
    // The opacity an animation under way is heading for (the current one when none runs).
    qreal targetAlpha() const;

    // The position as a fraction of the range, as a scroll view reports it; shows the scroller.
    void setFloatValue(float value);
    void fadeOut();

    // The bar whose page step (how much of the content is on show) sizes the knob; by default the
    // scroller's own.
    void setPageStepSource(QScrollBar *bar) { m_pageStepSource = bar; update(); }
    int effectivePageStep() const { return m_pageStepSource ? m_pageStepSource->pageStep() : pageStep(); }

    // The knob in the scroller's coordinates; empty when there is nothing to scroll.
    QRect knobRect() const;
    // The delayed fade, exposed so tests need not wait for it.
    QTimer *fadeTimer() { return &m_fadeTimer; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void positionChanged();
    void animateAlpha(qreal target, int durationMs);
    int trackLength() const;

    qreal m_alpha = 1.0;
    QTimer m_fadeTimer;
    QPointer<QPropertyAnimation> m_animation;
    QPointer<QScrollBar> m_pageStepSource;
    int m_dragOffset = -1; // pointer's distance from the knob's top while the knob is dragged
};
