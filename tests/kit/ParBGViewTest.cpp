// The framed panel: a one-point dark frame just inside its edges, nothing else.
#include "ParBGView.h"
#include "Theme.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

TEST(ParBGView, FramesItsBoundsWithOnePointInside)
{
    ParBGView panel;
    panel.resize(60, 40);
    const QImage image = controls::snapshot(&panel);
    for (const QPoint &edge : {QPoint(0, 20), QPoint(59, 20), QPoint(30, 0), QPoint(30, 39)})
        EXPECT_EQ(image.pixelColor(edge), theme::framedPanelStroke()) << edge.x() << "," << edge.y();
    EXPECT_EQ(image.pixelColor(1, 20).alpha(), 0);
    EXPECT_EQ(image.pixelColor(30, 20).alpha(), 0);
}
