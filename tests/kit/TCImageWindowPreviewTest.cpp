// Renders the window chrome to PNG files in the build folder for people to look at; nothing is
// compared with stored images, since fonts differ between machines.
#include "ImageLibrary.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "TCStandardWindowButtonArt.h"
#include "TCWindowButton.h"
#include "Theme.h"
#include "platform/Bundle.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString previewFolder()
{
    return testsupport::previewFolder(QStringLiteral("window-chrome"));
}

// The way window controllers dress a title bar: a centred label in Helvetica Light 14.
void dressTitleBar(TCImageWindow &window, const QString &text)
{
    auto *label = new QLabel(text, window.titleBarView());
    label->setAlignment(Qt::AlignCenter);
    label->setFont(theme::helveticaLight(14));
    label->setStyleSheet(QStringLiteral("color: rgb(74, 74, 74); background: transparent;"));
    label->setGeometry(0, 3, window.width(), 17);
    label->show();
}

void addContent(TCImageWindow &window)
{
    auto *content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette palette = content->palette();
    palette.setColor(QPalette::Window, QColor(246, 247, 249));
    content->setPalette(palette);
    auto *add = new TCImageButton(QRect(20, 20, 10, 10), content);
    add->setImageFromFileNormalName(theme::kAddButtonImage, theme::kAddButtonPressImage,
                                    theme::kAddButtonHoverImage, theme::kAddButtonDisableImage);
    window.setContentView(content);
}

// The window as the desktop shows it: on a dark backdrop, cut by its mask when it has one, and
// its upper left corner four times enlarged beside it.
void saveOnBackdrop(TCImageWindow &window, const QString &name)
{
    const QPixmap shot = window.grab();
    const int margin = 24;
    QImage backdrop(window.width() + 2 * margin + 4 * 48 + margin, window.height() + 2 * margin,
                    QImage::Format_ARGB32_Premultiplied);
    backdrop.fill(QColor(58, 62, 72));
    QPainter painter(&backdrop);
    painter.save();
    painter.translate(margin, margin);
    if (!window.mask().isEmpty())
        painter.setClipRegion(window.mask());
    painter.drawPixmap(0, 0, shot);
    painter.restore();
    QImage placed = backdrop.copy(margin, margin, 48, 32);
    painter.drawImage(QRect(window.width() + 2 * margin, margin, 4 * 48, 4 * 32), placed);
    painter.end();
    EXPECT_TRUE(backdrop.save(previewFolder() + QLatin1Char('/') + name));
}

class TCImageWindowPreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Bundle::setMainBundleOverride(QStringLiteral(NULLWELL_INNER_BUNDLE));
        ImageLibrary::clearCache();
    }
    void TearDown() override
    {
        TCImageWindow::setCompositorProbe(nullptr);
        Bundle::setMainBundleOverride(QString());
        ImageLibrary::clearCache();
    }
};

} // namespace

TEST_F(TCImageWindowPreviewTest, windows)
{
    for (bool composited : {true, false}) {
        TCImageWindow::setCompositorProbe([composited] { return composited; });
        TCImageWindow window(QSize(460, 200));
        dressTitleBar(window, QStringLiteral("Ostrivan Nullwell"));
        addContent(window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QString suffix = composited ? QString() : QStringLiteral("-masked");
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        saveOnBackdrop(window, QStringLiteral("window-active%1.png").arg(suffix));
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        ASSERT_FALSE(window.drawsAsActive());
        saveOnBackdrop(window, QStringLiteral("window-inactive%1.png").arg(suffix));
    }

    TCImageWindow titled(QSize(300, 80));
    titled.setTitle(QStringLiteral("Drawn title"));
    titled.setShowsTitle(true);
    titled.setTitleTextColor(QColor(74, 74, 74));
    titled.setInactiveTitleTextColor(QColor(150, 150, 150));
    titled.setTitleBarHeight(30);
    titled.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&titled));
    saveOnBackdrop(titled, QStringLiteral("window-drawn-title.png"));
}

TEST_F(TCImageWindowPreviewTest, windowButtonLooks)
{
    // Every look of the three buttons, four times enlarged: rows close, minimize, zoom.
    const int scale = 4;
    const int cell = 12 * scale + 16;
    const QList<TCStandardWindowButtonArt::Look> looks{TCStandardWindowButtonArt::Active,
                                                       TCStandardWindowButtonArt::ActiveNotKey,
                                                       TCStandardWindowButtonArt::Inactive,
                                                       TCStandardWindowButtonArt::Rollover,
                                                       TCStandardWindowButtonArt::Pressed};
    QImage sheet(cell * looks.size(), cell * 3, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int type = 0; type < 3; ++type)
        for (int i = 0; i < looks.size(); ++i) {
            QImage image =
                TCStandardWindowButtonArt::image(TCStandardWindowButtonArt::Type(type), looks[i], 12, scale).toImage();
            image.setDevicePixelRatio(1.0);
            painter.drawImage(QPoint(i * cell + 8, type * cell + 8), image);
        }
    painter.end();
    EXPECT_TRUE(sheet.save(previewFolder() + QStringLiteral("/window-buttons.png")));
}

TEST_F(TCImageWindowPreviewTest, addButtonStates)
{
    QWidget strip;
    strip.setAutoFillBackground(true);
    strip.resize(4 * 56, 56);
    QList<TCImageButton *> buttons;
    for (int i = 0; i < 4; ++i) {
        auto *button = new TCImageButton(QRect(8 + i * 56, 8, 10, 10), &strip);
        button->setImageFromFileNormalName(theme::kAddButtonImage, theme::kAddButtonPressImage,
                                           theme::kAddButtonHoverImage, theme::kAddButtonDisableImage);
        ASSERT_EQ(button->size(), ImageLibrary::sizeOfImage(theme::kAddButtonImage));
        buttons << button;
    }
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    // Wherever the pointer happens to be, only the second button shows hover.
    for (TCImageButton *button : buttons)
        button->mouseExited();
    buttons[1]->mouseEntered();
    QTest::mousePress(buttons[2], Qt::LeftButton);
    buttons[3]->setEnabled(false);
    EXPECT_TRUE(strip.grab().save(previewFolder() + QStringLiteral("/add-button-normal-hover-press-disable.png")));
    QTest::mouseRelease(buttons[2], Qt::LeftButton);
}
