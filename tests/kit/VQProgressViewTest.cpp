#include "NSProgressBar.h"
#include "Theme.h"
#include "VQProgressView.h"

#include "ControlsTestSupport.h"

using controls::snapshot;

#include <gtest/gtest.h>

TEST(VQProgressView, BarWidthFollowsThePercent)
{
    QWidget pane;
    pane.resize(460, 200);
    VQProgressView view(QRectF(20, 165, 420, 6), &pane);
    EXPECT_EQ(view.geometry(), QRect(20, 29, 420, 6));
    EXPECT_EQ(view.bar()->barWidth(), 0.0f) << "a new bar is empty";

    const struct
    {
        float percent;
        float width;
    } cases[] = {
        {0.0f, 0.0f},    {10.0f, 42.0f},  {50.0f, 210.0f}, {99.7f, 418.74f},
        {99.9f, 420.0f}, {100.0f, 420.0f}, {130.0f, 420.0f}, {-20.0f, 0.0f},
    };
    for (const auto &c : cases) {
        view.changeProgressValue(c.percent);
        EXPECT_NEAR(view.bar()->barWidth(), c.width, 0.001) << c.percent << "%";
        EXPECT_EQ(view.bar()->geometry().height(), 6);
        EXPECT_GE(view.bar()->width(), int(c.width)) << "the widget covers the whole bar";
    }
}

TEST(VQProgressView, TrackKeepsItsLengthWhileTheBarMayRunPast)
{
    VQProgressView view;
    view.resize(450, 20);
    view.changeProgressValue(100);
    EXPECT_EQ(view.bar()->barWidth(), 450.0f);
    EXPECT_EQ(view.bar()->geometry(), QRect(0, 14, 450, 6)) << "at the bottom whatever the view's height";

    QImage image = snapshot(&view);
    EXPECT_EQ(image.pixelColor(435, 17), theme::rgb(32, 144, 250)) << "bar past the track's end";
    view.changeProgressValue(50);
    image = snapshot(&view);
    EXPECT_EQ(image.pixelColor(100, 17), theme::rgb(32, 144, 250));
    EXPECT_EQ(image.pixelColor(300, 17), theme::rgb(206, 209, 219)) << "track beyond the bar";
    EXPECT_EQ(image.pixelColor(435, 17).alpha(), 0) << "the track stops at 420";
    EXPECT_EQ(image.pixelColor(100, 5).alpha(), 0) << "nothing above the six-point strip";

    view.changeProgressValue(-5);
    image = snapshot(&view);
    EXPECT_EQ(image.pixelColor(3, 17), theme::rgb(206, 209, 219)) << "a negative percent shows the bare track";
}

TEST(VQProgressView, BarStretchesWithTheView)
{
    VQProgressView view;
    view.resize(400, 6);
    view.changeProgressValue(25);
    EXPECT_EQ(view.bar()->barWidth(), 100.0f);
    // Hidden, the resize is only announced when the view is shown.
    view.resize(800, 10);
    view.show();
    EXPECT_EQ(view.bar()->barWidth(), 200.0f);
    EXPECT_EQ(view.bar()->geometry(), QRect(0, 4, 200, 6));
    view.resize(200, 10);
    EXPECT_EQ(view.bar()->barWidth(), 50.0f);
}
