#include "ImageLibrary.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "VQHandButton.h"
#include "common/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QByteArray svg(int width, int height, const char *fill, const char *extra = "")
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\">"
                          "<rect width=\"%1\" height=\"%2\" fill=\"%3\"/>%4</svg>")
        .arg(width)
        .arg(height)
        .arg(QLatin1String(fill), QLatin1String(extra))
        .toUtf8();
}

QImage render(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool isBlank(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() != 0)
                return false;
    return true;
}

class TCImageButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ImageLibrary::clearCache();
        bundle.writeResource(QStringLiteral("pic.svg"), svg(30, 24, "#ff0000"));
        bundle.writeResource(QStringLiteral("pic_press.svg"), svg(30, 24, "#00ff00"));
        // Larger than the button: only its upper-left 30 by 24 part is drawn.
        bundle.writeResource(QStringLiteral("pic_hover.svg"),
                             svg(60, 48, "#0000ff", "<rect width=\"30\" height=\"24\" fill=\"#ffff00\"/>"));
        bundle.writeResource(QStringLiteral("pic_disable.svg"), svg(30, 24, "#808080"));
    }
    void TearDown() override { ImageLibrary::clearCache(); }

    testsupport::TempBundle bundle;
};

} // namespace

TEST_F(TCImageButtonTest, withoutImagesItIsAPlainPushButton)
{
    TCImageButton button(QRect(0, 0, 80, 30));
    button.setText(QStringLiteral("Plain"));
    EXPECT_FALSE(isBlank(render(&button)));
    EXPECT_TRUE(button.chosenImage().isNull());
}

TEST_F(TCImageButtonTest, takesTheSizeOfItsNormalImage)
{
    TCImageButton button(QRect(7, 9, 100, 100));
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "pic_disable");
    EXPECT_EQ(button.geometry(), QRect(7, 9, 30, 24));
    EXPECT_EQ(button.dstRect(), QRectF(0, 0, 30, 24));
    EXPECT_EQ(render(&button).pixelColor(15, 12), QColor(255, 0, 0));
}

TEST_F(TCImageButtonTest, choosesDisabledThenPressedThenHoverThenNormal)
{
    TCImageButton button;
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "pic_disable");
    EXPECT_EQ(button.chosenImage().cacheKey(), button.normalImage().cacheKey());
    button.mouseEntered();
    EXPECT_TRUE(button.isFocus());
    EXPECT_EQ(button.chosenImage().cacheKey(), button.hoverImage().cacheKey());
    // The hover image is drawn from its upper-left part only.
    const QImage hovered = render(&button);
    EXPECT_EQ(hovered.pixelColor(29, 23), QColor(255, 255, 0));

    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button.isTracking());
    EXPECT_EQ(button.chosenImage().cacheKey(), button.activeImage().cacheKey());
    button.setEnabled(false);
    EXPECT_EQ(button.chosenImage().cacheKey(), button.disableImage().cacheKey());
    EXPECT_EQ(render(&button).pixelColor(15, 12), QColor(128, 128, 128));
    button.setEnabled(true);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(button.isTracking());
    // Re-enabled while still hovered: the hover image until the pointer leaves.
    EXPECT_EQ(button.chosenImage().cacheKey(), button.hoverImage().cacheKey());
    button.mouseExited();
    EXPECT_EQ(button.chosenImage().cacheKey(), button.normalImage().cacheKey());
}

TEST_F(TCImageButtonTest, disablingDuringAPressDoesNotLeaveItPressed)
{
    TCImageButton button;
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "pic_disable");
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    button.setEnabled(false);
    // The release goes nowhere: the button is disabled.
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    button.setEnabled(true);
    EXPECT_FALSE(button.isTracking());
    EXPECT_NE(button.chosenImage().cacheKey(), button.activeImage().cacheKey());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(TCImageButtonTest, disabledButtonsIgnoreThePointer)
{
    TCImageButton button;
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "pic_disable");
    button.setEnabled(false);
    button.mouseEntered();
    EXPECT_FALSE(button.isFocus());
    button.setIsFocus(true);
    button.mouseExited();
    EXPECT_FALSE(button.isFocus());
}

TEST_F(TCImageButtonTest, missingImagesDrawNothing)
{
    TCImageButton button;
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "no_such_image");
    EXPECT_TRUE(button.disableImage().isNull());
    button.setEnabled(false);
    EXPECT_TRUE(isBlank(render(&button)));

    TCImageButton empty;
    empty.setImageFromFileNormalName("pic", "", "", "");
    empty.mouseEntered();
    EXPECT_TRUE(isBlank(render(&empty)));
}

TEST_F(TCImageButtonTest, clickOnlyOnReleaseInside)
{
    TCImageButton button;
    button.setImageFromFileNormalName("pic", "pic_press", "pic_hover", "pic_disable");
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.chosenImage().cacheKey(), button.activeImage().cacheKey());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(button.isTracking());
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);

    // The right button never shows the pressed image, nor clicks.
    QTest::mousePress(&button, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_NE(button.chosenImage().cacheKey(), button.activeImage().cacheKey());
    EXPECT_EQ(render(&button).pixelColor(15, 12), QColor(255, 0, 0));
    QTest::mouseRelease(&button, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);

    // Space on the focused button shows the pressed image while held, and clicks on release.
    button.setFocus();
    QTest::keyPress(&button, Qt::Key_Space);
    EXPECT_EQ(button.chosenImage().cacheKey(), button.activeImage().cacheKey());
    EXPECT_EQ(render(&button).pixelColor(15, 12), QColor(0, 255, 0));
    QTest::keyRelease(&button, Qt::Key_Space);
    EXPECT_EQ(button.chosenImage().cacheKey(), button.normalImage().cacheKey());
    EXPECT_EQ(clicks.count(), 2);
}

TEST(VQHandButtonTest, pointingHandWhileOver)
{
    VQHandButton button;
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);
}

// Each image file is read once however often windows ask for it: the size, the drawn picture and
// the application's icon outlive the file until the cache is cleared.
TEST_F(TCImageButtonTest, imagesAreReadFromDiskOncePerFile)
{
    bundle.writeResource(QStringLiteral("ostrivan-nullwell.svg"), svg(64, 64, "#00ff00"));
    const auto drawn = [] {
        QImage image(30, 24, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        ImageLibrary::draw(&painter, QStringLiteral("pic"), QRectF(0, 0, 30, 24));
        return image;
    };
    const QImage first = drawn();
    EXPECT_EQ(first.pixelColor(15, 12), QColor(Qt::red));
    EXPECT_EQ(ImageLibrary::sizeOfImage(QStringLiteral("pic")), QSize(30, 24));
    ImageLibrary::prepareApplicationIcon();
    const QIcon icon = ImageLibrary::applicationIcon();

    QFile::remove(bundle.resourcePath() + QStringLiteral("/pic.svg"));
    QFile::remove(bundle.resourcePath() + QStringLiteral("/ostrivan-nullwell.svg"));
    EXPECT_EQ(drawn(), first);
    EXPECT_EQ(ImageLibrary::sizeOfImage(QStringLiteral("pic")), QSize(30, 24));
    const QIcon again = ImageLibrary::applicationIcon();
    EXPECT_EQ(again.availableSizes(), icon.availableSizes());
    EXPECT_EQ(again.availableSizes().size(), 7);
    EXPECT_EQ(again.pixmap(QSize(256, 256)).toImage().pixelColor(128, 128), QColor(Qt::green));

    ImageLibrary::clearCache();
    EXPECT_TRUE(ImageLibrary::sizeOfImage(QStringLiteral("pic")).isEmpty());
    EXPECT_TRUE(ImageLibrary::applicationIcon().isNull());
}

// The icon goes to the window once its first picture is on the screen, not before.
TEST_F(TCImageButtonTest, windowsTakeTheApplicationIconOnceFirstShown)
{
    bundle.writeResource(QStringLiteral("ostrivan-nullwell.svg"), svg(64, 64, "#00ff00"));
    ImageLibrary::prepareApplicationIcon();
    TCImageWindow window;
    window.show();
    EXPECT_FALSE(window.testAttribute(Qt::WA_SetWindowIcon));
    ASSERT_TRUE(testsupport::waitUntil([&window] { return window.testAttribute(Qt::WA_SetWindowIcon); }, 5000));
    EXPECT_EQ(window.windowIcon().availableSizes().size(), 7);
    EXPECT_EQ(window.windowIcon().pixmap(QSize(32, 32)).toImage().pixelColor(16, 16), QColor(Qt::green));
}

TEST_F(TCImageButtonTest, imagesDrawnAheadAreThoseDrawnOnRequest)
{
    const QImage onRequest = ImageLibrary::imageNamed(QStringLiteral("pic_hover")).toImage();
    ImageLibrary::clearCache();
    ImageLibrary::prepareImages({QStringLiteral("pic_hover"), QStringLiteral("pic"), QStringLiteral("nothing")});
    // Asked for while it may still be drawing there: the same picture either way.
    EXPECT_EQ(ImageLibrary::imageNamed(QStringLiteral("pic_hover")).toImage(), onRequest);
    ImageLibrary::finishPreparing();
    QFile::remove(bundle.resourcePath() + QStringLiteral("/pic.svg"));
    EXPECT_EQ(ImageLibrary::imageNamed(QStringLiteral("pic")).toImage().pixelColor(15, 12), QColor(Qt::red));
    EXPECT_EQ(ImageLibrary::sizeOfImage(QStringLiteral("pic")), QSize(30, 24));
    EXPECT_TRUE(ImageLibrary::imageNamed(QStringLiteral("nothing")).isNull());
}
