#include "AddView.h"
#include "Theme.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace {

using namespace controls;

QColor pixel(QWidget *widget, int x, int y)
{
    return snapshot(widget).pixelColor(x, y);
}

} // namespace

TEST(AddView, TealPaletteAndEnableSwitchThatLeavesHoverAlone)
{
    AddView view;
    view.resize(140, 36);
    view.setTextWithName(QStringLiteral("Add"), theme::helveticaLight(13), QStringLiteral("add"));
    EXPECT_EQ(pixel(&view, 12, 18), theme::rgb(196, 200, 221)) << "disabled at creation";

    view.setButtonEnabled(true);
    EXPECT_FALSE(view.isFocus()) << "unlike the text button, enabling does not hover";
    EXPECT_EQ(pixel(&view, 12, 18), theme::rgb(127, 207, 220));

    sendEnter(&view);
    EXPECT_EQ(pixel(&view, 12, 18), theme::rgb(114, 185, 197));
    view.setButtonEnabled(false);
    EXPECT_TRUE(view.isFocus()) << "disabling leaves the hover flag as it was";
    EXPECT_EQ(view.drawState(), CustemImageButton::Disabled);
    EXPECT_EQ(theme::addViewFill(CustemImageButton::Pressed), theme::rgb(165, 221, 230));
}

TEST(AddView, PressedLookLastsOnlyWhileThePressIsHandled)
{
    QObject owner;
    int clicks = 0;
    AddView view;
    view.resize(140, 36);
    view.setButtonEnabled(true);
    view.setDelegate(&owner);
    view.setButtonAction([&] { ++clicks; });
    sendMouse(&view, QEvent::MouseButtonPress);
    EXPECT_FALSE(view.isTracking());
    EXPECT_EQ(clicks, 0);
    sendMouse(&view, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 1);

    view.setButtonEnabled(false);
    sendMouse(&view, QEvent::MouseButtonPress);
    sendMouse(&view, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 1);
}

TEST(AddView, RadiusCaptionAndImagePlacement)
{
    testsupport::TempBundle bundle;
    ASSERT_TRUE(installAddImage(bundle));

    for (const auto &[height, radius, filled] : {std::tuple{34, 15.0, true}, std::tuple{35, 18.0, false}}) {
        AddView view;
        view.resize(140, height);
        EXPECT_EQ(view.cornerRadius(), radius);
        // (5, 5) is inside a 15-point corner curve and outside an 18-point one.
        EXPECT_EQ(pixel(&view, 5, 5).alpha() > 200, filled) << "height " << height;
    }

    AddView view;
    view.resize(140, 36);
    view.setTextWithName(QStringLiteral("Add"), theme::helveticaLight(13), QStringLiteral("addItems"));
    const QRectF caption = view.captionRect();
    EXPECT_EQ(caption.height(), 20.0);
    EXPECT_EQ(caption.top(), 9.0) << "one point below the middle";
    EXPECT_NEAR(caption.left() + (caption.width() - 5) / 2, 80.0, 0.5) << "ten points right of centre";

    auto *image = view.findChild<QLabel *>(QStringLiteral("addItems"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(25, 9, 18, 18)) << "bottom-left (25, 9) in a 36-high view";
    EXPECT_FALSE(image->pixmap().isNull());
    EXPECT_GT(pixel(&view, 34, 18).lightness(), 215) << "the image's white plus is drawn";
}
