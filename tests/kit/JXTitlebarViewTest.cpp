#include "JXTitlebarView.h"
#include "TCImageWindow.h"
#include "TitleBarDoubleClick.h"
#include "TitlebarDrawing.h"
#include "platform/UserDefaults.h"
#include "common/ScopedOverride.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage render(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool hasDarkPixel(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && c.lightness() < 100)
                return true;
        }
    return false;
}

class JXTitlebarViewTest : public ::testing::Test
{
protected:
    void SetUp() override { TCImageWindow::setCompositorProbe([] { return true; }); }
    void TearDown() override
    {
        TCImageWindow::setCompositorProbe(nullptr);
        UserDefaults::standard().removeObjectForKey(QStringLiteral("AppleMiniaturizeOnDoubleClick"));
    }
    JXTitlebarView *bar(TCImageWindow &window) { return qobject_cast<JXTitlebarView *>(window.titleBarView()); }
};

} // namespace

TEST(TitlebarDrawingTest, clippingPathRoundsOnlyTheUpperCorners)
{
    const QRectF rect(0, 0, 100, 22);
    const QPainterPath path = createClippingPathWithRectAndRadius(rect, 16);
    EXPECT_EQ(path.boundingRect(), rect);
    EXPECT_TRUE(path.contains(QPointF(50, 11)));
    EXPECT_FALSE(path.contains(QPointF(1, 1)));
    EXPECT_FALSE(path.contains(QPointF(99, 1)));
    EXPECT_TRUE(path.contains(QPointF(0.5, 21.5)));
    EXPECT_TRUE(path.contains(QPointF(99.5, 21.5)));
    // The arcs meet the edges where the radius says.
    EXPECT_TRUE(path.contains(QPointF(16.5, 0.5)));
    EXPECT_TRUE(path.contains(QPointF(0.5, 16.5)));
    EXPECT_FALSE(path.contains(QPointF(3, 3)));

    // A bar lower than the radius still gives one closed outline within its rectangle.
    const QPainterPath low = createClippingPathWithRectAndRadius(QRectF(0, 0, 100, 6), 16);
    EXPECT_EQ(low.boundingRect(), QRectF(0, 0, 100, 6));
    EXPECT_TRUE(low.contains(QPointF(50, 3)));
}

TEST(TitlebarDrawingTest, gradientAndColourConversion)
{
    const QLinearGradient gradient = createGradientWithColors(Qt::red, QColor::fromHsvF(0.5, 1.0, 1.0));
    ASSERT_EQ(gradient.stops().size(), 2);
    EXPECT_EQ(gradient.stops()[0].first, 0.0);
    EXPECT_EQ(gradient.stops()[0].second, QColor(Qt::red));
    EXPECT_EQ(gradient.stops()[1].first, 1.0);
    EXPECT_EQ(gradient.stops()[1].second.spec(), QColor::Rgb);
    EXPECT_EQ(gradient.stops()[1].second, QColor(0, 255, 255));
    EXPECT_EQ(JX_CGColorCreate(QColor::fromCmykF(0, 0, 0, 0)).spec(), QColor::Rgb);
    EXPECT_EQ(JX_CGColorCreate(QColor()), QColor(0, 0, 0, 0));
}

TEST_F(JXTitlebarViewTest, titleIsCentredNearTheTopWithTheDefaultLook)
{
    TCImageWindow window(QSize(300, 200));
    window.setTitle(QStringLiteral("Erasure History"));
    QRectF frame;
    TitleTextAttributes attributes;
    bar(window)->getTitleFrame(&frame, &attributes, &window);

    EXPECT_EQ(attributes.font.pixelSize(), 13);
    EXPECT_EQ(attributes.color, QColor(255, 255, 255));
    EXPECT_EQ(attributes.shadow.color.rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(attributes.shadow.color.alphaF(), 0.5, 0.01);
    EXPECT_EQ(attributes.shadow.offset, QPointF(0, -1));
    EXPECT_EQ(attributes.shadow.blurRadius, 10.0);
    const QSizeF size = QFontMetricsF(attributes.font).size(Qt::TextSingleLine, window.title());
    EXPECT_EQ(frame.size(), size);
    EXPECT_DOUBLE_EQ(frame.x(), 150.0 - size.width() / 2.0);
    EXPECT_DOUBLE_EQ(frame.y(), 2.0);

    // Either output may be left out.
    QRectF only;
    bar(window)->getTitleFrame(&only, nullptr, &window);
    EXPECT_EQ(only, frame);
    bar(window)->getTitleFrame(nullptr, nullptr, &window);
}

TEST_F(JXTitlebarViewTest, titleColourAndShadowFollowTheActiveState)
{
    TCImageWindow window(QSize(300, 200));
    window.setTitleTextColor(Qt::red);
    window.setInactiveTitleTextColor(Qt::blue);
    const TCShadow activeShadow{Qt::black, QPointF(1, 1), 2};
    window.setTitleTextShadow(activeShadow);
    TitleTextAttributes attributes;
    bar(window)->getTitleFrame(nullptr, &attributes, &window);
    EXPECT_EQ(attributes.color, QColor(Qt::blue));
    // No inactive shadow set: the default one.
    EXPECT_EQ(attributes.shadow.blurRadius, 10.0);

    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(window.drawsAsActive());
    bar(window)->getTitleFrame(nullptr, &attributes, &window);
    EXPECT_EQ(attributes.color, QColor(Qt::red));
    EXPECT_EQ(attributes.shadow, activeShadow);
}

TEST_F(JXTitlebarViewTest, defaultFillIsWhiteWithRoundedUpperCorners)
{
    TCImageWindow window(QSize(300, 200));
    window.setTitle(QStringLiteral("Title"));
    window.setTitleTextColor(Qt::black);
    window.setInactiveTitleTextColor(Qt::black);
    const QImage image = render(window.titleBarView());
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(299, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(150, 11), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(0, 21), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(299, 21), QColor(255, 255, 255));
    // The title shows only when asked for.
    EXPECT_FALSE(hasDarkPixel(image));
    window.setShowsTitle(true);
    EXPECT_TRUE(hasDarkPixel(render(window.titleBarView())));
}

TEST_F(JXTitlebarViewTest, titleInFullScreenOnlyWhenAsked)
{
    TCImageWindow window(QSize(300, 200));
    window.setTitle(QStringLiteral("Title"));
    window.setInactiveTitleTextColor(Qt::black);
    window.setTitleTextColor(Qt::black);
    window.setShowsTitle(true);
    window.show();
    window.setWindowState(Qt::WindowFullScreen);
    EXPECT_FALSE(hasDarkPixel(render(window.titleBarView())));
    window.setShowsTitleInFullscreen(true);
    EXPECT_TRUE(hasDarkPixel(render(window.titleBarView())));
}

TEST_F(JXTitlebarViewTest, drawingBlockReplacesTheFill)
{
    TCImageWindow window(QSize(300, 200));
    int calls = 0;
    bool seenActive = true;
    QRectF seenFrame;
    QPainterPath seenPath;
    window.setTitleBarDrawingBlock([&](QPainter &painter, bool active, const QPainterPath &clip, const QRectF &frame) {
        ++calls;
        seenActive = active;
        seenFrame = frame;
        seenPath = clip;
        painter.fillPath(clip, Qt::green);
    });
    const QImage image = render(window.titleBarView());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(seenActive);
    EXPECT_EQ(seenFrame, QRectF(0, 0, 300, 22));
    EXPECT_EQ(seenPath, createClippingPathWithRectAndRadius(seenFrame, 16));
    EXPECT_EQ(image.pixelColor(150, 11), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

TEST_F(JXTitlebarViewTest, doubleClickMiniaturizesOnlyWithThePreference)
{
    testsupport::ScopedOverride doubleClick(&TitleBarDoubleClick::setOverride,
                                            TitleBarDoubleClick::Choice{TitleBarDoubleClick::Action::Nothing, {}});
    TCImageWindow window(QSize(300, 200));
    window.show();
    bar(window)->mouseUp(2);
    EXPECT_FALSE(window.isMinimized());

    UserDefaults::standard().setBool(true, QStringLiteral("AppleMiniaturizeOnDoubleClick"));
    bar(window)->mouseUp(1);
    bar(window)->mouseUp(3);
    EXPECT_FALSE(window.isMinimized());
    // The events of a double click: the second press comes with a double-click event.
    QTest::mouseClick(bar(window), Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_FALSE(window.isMinimized());
    QTest::mouseDClick(bar(window), Qt::LeftButton, {}, QPoint(150, 10));
    QTest::mouseRelease(bar(window), Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_TRUE(window.isMinimized());
}

// Without the program's own preference, the desktop's setting decides; unreadable, the window zooms.
TEST_F(JXTitlebarViewTest, doubleClickFollowsTheDesktopsSetting)
{
    using Action = TitleBarDoubleClick::Action;
    EXPECT_EQ(TitleBarDoubleClick::fromGnome(QStringLiteral("toggle-maximize")), Action::Zoom);
    EXPECT_EQ(TitleBarDoubleClick::fromGnome(QStringLiteral("minimize")), Action::Minimize);
    EXPECT_EQ(TitleBarDoubleClick::fromGnome(QStringLiteral("toggle-shade")), Action::Nothing);
    EXPECT_EQ(TitleBarDoubleClick::fromKWin(QStringLiteral("Maximize (vertical only)")), Action::Zoom);
    EXPECT_EQ(TitleBarDoubleClick::fromKWin(QStringLiteral("Minimize")), Action::Minimize);
    EXPECT_EQ(TitleBarDoubleClick::fromKWin(QStringLiteral("Shade")), Action::Nothing);

    testsupport::ScopedOverride doubleClick(&TitleBarDoubleClick::setOverride,
                                            TitleBarDoubleClick::Choice{Action::Zoom, QStringLiteral("default")});
    TCImageWindow window(QSize(300, 200));
    window.show();
    bar(window)->mouseUp(2);
    EXPECT_TRUE(window.isMaximized());
    bar(window)->mouseUp(2);
    EXPECT_FALSE(window.isMaximized());
    window.setResizable(false);
    bar(window)->mouseUp(2);
    EXPECT_FALSE(window.isMaximized()) << "a window of fixed size does not zoom";

    doubleClick.set(TitleBarDoubleClick::Choice{Action::Nothing, QStringLiteral("gsettings")});
    window.setResizable(true);
    bar(window)->mouseUp(2);
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.isMinimized());

    doubleClick.set(TitleBarDoubleClick::Choice{Action::Minimize, QStringLiteral("kwinrc")});
    bar(window)->mouseUp(2);
    EXPECT_TRUE(window.isMinimized());
}
