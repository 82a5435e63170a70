#include "TCImageWindow.h"
#include "TCImageWindowDelegateProxy.h"

#include <gtest/gtest.h>

namespace {

class RecordingDelegate : public TCWindowDelegate
{
public:
    QStringList calls;
    bool windowShouldClose(TCImageWindow *) override
    {
        calls << QStringLiteral("shouldClose");
        return false;
    }
    void windowWillClose(TCImageWindow *) override { calls << QStringLiteral("willClose"); }
    void windowDidBecomeKey(TCImageWindow *) override { calls << QStringLiteral("becomeKey"); }
    void windowDidResignKey(TCImageWindow *) override { calls << QStringLiteral("resignKey"); }
    void windowDidResize(TCImageWindow *) override { calls << QStringLiteral("resize"); }
    void windowDidMove(TCImageWindow *) override { calls << QStringLiteral("move"); }
    void windowDidMiniaturize(TCImageWindow *) override { calls << QStringLiteral("miniaturize"); }
    QRectF windowWillPositionSheet(TCImageWindow *, QWidget *, const QRectF &) override
    {
        calls << QStringLiteral("sheet");
        return QRectF(1, 2, 3, 4);
    }
};

} // namespace

TEST(TCImageWindowDelegateProxyTest, forwardsEveryCallButSheetPositioning)
{
    TCImageWindowDelegateProxy proxy;
    RecordingDelegate delegate;
    proxy.setSecondaryDelegate(&delegate);
    EXPECT_EQ(proxy.secondaryDelegate(), &delegate);
    TCImageWindow window(QSize(200, 278));

    EXPECT_FALSE(proxy.windowShouldClose(&window));
    proxy.windowWillClose(&window);
    proxy.windowDidBecomeKey(&window);
    proxy.windowDidResignKey(&window);
    proxy.windowDidResize(&window);
    proxy.windowDidMove(&window);
    proxy.windowDidMiniaturize(&window);
    // A 300-point frame with a 22-point bar: the sheet hangs from y 278, whatever was proposed.
    EXPECT_EQ(proxy.windowWillPositionSheet(&window, nullptr, QRectF(5, 17, 120, 80)), QRectF(5, 278, 120, 80));
    EXPECT_EQ(delegate.calls, (QStringList{"shouldClose", "willClose", "becomeKey", "resignKey", "resize", "move",
                                           "miniaturize"}));
    window.setTitleBarHeight(40);
    EXPECT_EQ(proxy.windowWillPositionSheet(&window, nullptr, QRectF(0, 0, 10, 10)).y(), 260.0);
}

TEST(TCImageWindowDelegateProxyTest, withoutDelegateAnswersLikeOneThatDoesNotCare)
{
    TCImageWindowDelegateProxy proxy;
    TCImageWindow window(QSize(200, 278));
    EXPECT_EQ(proxy.secondaryDelegate(), nullptr);
    EXPECT_TRUE(proxy.windowShouldClose(&window));
    proxy.windowDidResize(&window);
    EXPECT_EQ(proxy.windowWillPositionSheet(&window, nullptr, QRectF(5, 17, 120, 80)), QRectF(5, 278, 120, 80));
}

TEST(TCImageWindowDelegateProxyTest, aDestroyedDelegateIsForgotten)
{
    TCImageWindowDelegateProxy proxy;
    TCImageWindow window(QSize(200, 100));
    {
        RecordingDelegate delegate;
        proxy.setSecondaryDelegate(&delegate);
    }
    EXPECT_EQ(proxy.secondaryDelegate(), nullptr);
    EXPECT_TRUE(proxy.windowShouldClose(&window));
    proxy.windowDidMove(&window);

    // A copy of a delegate is a delegate of its own.
    auto original = std::make_unique<RecordingDelegate>();
    RecordingDelegate copy(*original);
    proxy.setSecondaryDelegate(&copy);
    original.reset();
    EXPECT_EQ(proxy.secondaryDelegate(), &copy);
}

TEST(TCImageWindowDelegateProxyTest, windowEventsReachTheDelegate)
{
    TCImageWindow window(QSize(200, 100));
    RecordingDelegate delegate;
    window.setDelegate(&delegate);
    window.show();
    window.resize(250, 150);
    window.move(40, 50);
    window.performClose();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(delegate.calls.contains(QStringLiteral("resize")));
    EXPECT_TRUE(delegate.calls.contains(QStringLiteral("move")));
    EXPECT_EQ(delegate.calls.count(QStringLiteral("shouldClose")), 1);
    EXPECT_FALSE(delegate.calls.contains(QStringLiteral("willClose")));
    EXPECT_EQ(window.positionSheet(nullptr, QRectF(0, 0, 10, 10)).y(), 128.0);
}
