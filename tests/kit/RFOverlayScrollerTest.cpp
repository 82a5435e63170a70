// The knob-only overlay scroller: knob geometry, showing and fading, dragging.
#include "RFOverlayScroller.h"
#include "Theme.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

class DrawnTrackScroller : public RFOverlayScroller
{
};

struct Scroller
{
    QWidget host;
    RFOverlayScroller *scroller = new RFOverlayScroller(&host);

    Scroller(int range = 100, int page = 100)
    {
        host.resize(100, 200);
        scroller->setGeometry(89, 0, 11, 200);
        scroller->setRange(0, range);
        scroller->setPageStep(page);
        host.show();
        QApplication::processEvents();
    }
};

void waitForAnimations()
{
    QTest::qWait(RFOverlayScroller::kFadeDurationMs + 150);
}

} // namespace

TEST(RFOverlayScroller, KnobFollowsPositionAndProportion)
{
    Scroller s;
    // Half the content on show: a knob half the track long, inset 2 all round.
    s.scroller->setValue(0);
    EXPECT_EQ(s.scroller->knobRect(), QRect(2, 2, 7, 98));
    s.scroller->setValue(100);
    EXPECT_EQ(s.scroller->knobRect(), QRect(2, 100, 7, 98));
    s.scroller->setValue(50);
    EXPECT_EQ(s.scroller->knobRect().top(), 51);

    // A very long list keeps a grabbable knob.
    s.scroller->setRange(0, 100000);
    s.scroller->setPageStep(10);
    EXPECT_EQ(s.scroller->knobRect().height(), theme::kOverlayKnobMinimumLength);

    // Nothing to scroll: no knob, and nothing drawn.
    s.scroller->setRange(0, 0);
    EXPECT_TRUE(s.scroller->knobRect().isEmpty());
    const QImage image = controls::snapshot(s.scroller);
    for (int y = 0; y < image.height(); y += 5)
        ASSERT_EQ(image.pixelColor(5, y).alpha(), 0);
}

TEST(RFOverlayScroller, DrawsAKnobOnlyInsideItsBounds)
{
    Scroller s;
    s.scroller->setValue(0);
    s.scroller->setAlpha(1.0);
    const QImage image = controls::snapshot(s.scroller);
    EXPECT_GT(image.pixelColor(5, 50).alpha(), 80) << "knob";
    EXPECT_EQ(image.pixelColor(5, 150).alpha(), 0) << "no track";
    EXPECT_EQ(image.pixelColor(0, 50).alpha(), 0) << "inset from the edge";
}

TEST(RFOverlayScroller, OnlyTheClassItselfIsOverlayCompatible)
{
    RFOverlayScroller plain;
    DrawnTrackScroller derived;
    EXPECT_TRUE(plain.isCompatibleWithOverlayScrollers());
    EXPECT_FALSE(derived.isCompatibleWithOverlayScrollers());
    EXPECT_EQ(RFOverlayScroller::zeroWidth(), 0.0);
}

TEST(RFOverlayScroller, ScrollingShowsItAndPostponesTheFade)
{
    Scroller s;
    QTimer *timer = s.scroller->fadeTimer();
    EXPECT_EQ(timer->interval(), 1500);
    timer->setInterval(80);
    QSignalSpy fades(timer, &QTimer::timeout);
    s.scroller->setAlpha(0.0);

    s.scroller->setValue(10);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(s.scroller->targetAlpha(), 1.0);
    QTest::qWait(50);
    s.scroller->setValue(20); // within the delay: the fade moves out again
    QTest::qWait(50);
    EXPECT_EQ(fades.count(), 0);
    EXPECT_EQ(s.scroller->targetAlpha(), 1.0);
    QTest::qWait(80);
    EXPECT_EQ(fades.count(), 1) << "one fade, after the second change";
    waitForAnimations();
    EXPECT_EQ(s.scroller->alpha(), RFOverlayScroller::kFadedAlpha);
    EXPECT_EQ(fades.count(), 1);

    // Reports of an unchanged position count as well.
    s.scroller->setFloatValue(20.0f / 100.0f);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(s.scroller->value(), 20);
}

TEST(RFOverlayScroller, PointerKeepsItShownAndLeavingFadesAtOnce)
{
    Scroller s;
    QTimer *timer = s.scroller->fadeTimer();
    s.scroller->setValue(30);
    ASSERT_TRUE(timer->isActive());

    controls::sendEnter(s.scroller);
    EXPECT_FALSE(timer->isActive()) << "entering cancels the pending fade";
    EXPECT_EQ(s.scroller->targetAlpha(), 1.0);

    controls::sendLeave(s.scroller);
    EXPECT_EQ(s.scroller->targetAlpha(), RFOverlayScroller::kFadedAlpha);
    waitForAnimations();
    EXPECT_EQ(s.scroller->alpha(), RFOverlayScroller::kFadedAlpha);

    // A moving pointer brings it back at once, without an animation.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), s.scroller->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(s.scroller, &move);
    EXPECT_EQ(s.scroller->alpha(), 1.0);
}

TEST(RFOverlayScroller, DraggingTheKnobAndClickingTheTrack)
{
    Scroller s;
    s.scroller->setValue(0);
    const QRect knob = s.scroller->knobRect();
    controls::sendMouse(s.scroller, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(5, knob.top() + 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, knob.top() + 10 + 49),
                     s.scroller->mapToGlobal(QPointF(5, knob.top() + 59)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(s.scroller, &move);
    EXPECT_EQ(s.scroller->value(), 50) << "half the free track is half the range";
    controls::sendMouse(s.scroller, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(5, knob.top() + 59));

    s.scroller->setRange(0, 1000);
    s.scroller->setValue(0);
    controls::sendMouse(s.scroller, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(5, 190));
    EXPECT_EQ(s.scroller->value(), 100) << "a page towards the click";
}
