#include "AddView.h"
#include "Theme.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>

namespace {

// The widget alone on a see-through image (grab() would put a window background behind it).
QImage snapshot(QWidget *widget, const QRegion &region = QRegion())
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QPoint offset = region.isEmpty() ? QPoint() : region.boundingRect().topLeft();
    widget->render(&image, offset, region, QWidget::DrawChildren);
    return image;
}

void click(QWidget *widget, QEvent::Type type)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

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

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&view, &enter);
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
    click(&view, QEvent::MouseButtonPress);
    EXPECT_FALSE(view.isTracking());
    EXPECT_EQ(clicks, 0);
    click(&view, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 1);

    view.setButtonEnabled(false);
    click(&view, QEvent::MouseButtonPress);
    click(&view, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 1);
}

TEST(AddView, RadiusCaptionAndImagePlacement)
{
    testsupport::TempBundle bundle;
    QFile svg(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/images/add@2x.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    bundle.writeResource(QStringLiteral("add@2x.svg"), svg.readAll());

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
