#include "TCImageWindow.h"
#include "CustemImageButton.h"
#include "JXTitlebarContainer.h"
#include "JXTitlebarView.h"
#include "KitGeometry.h"
#include "TCWindowButton.h"
#include "TCWindowNotifications.h"
#include "Theme.h"
#include "platform/NotificationCenter.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A window of 400 by 300 content points, so its frame is 400 by 322 with the standard bar.
constexpr int kWidth = 400;
constexpr int kHeight = 322;

QRect geometryOf(const QWidget *widget)
{
    return widget ? widget->geometry() : QRect();
}

TCWindowButton *closeOf(TCImageWindow &window)
{
    return window.standardWindowButton(TCImageWindow::CloseButton);
}
TCWindowButton *minimizeOf(TCImageWindow &window)
{
    return window.standardWindowButton(TCImageWindow::MinimizeButton);
}
TCWindowButton *zoomOf(TCImageWindow &window)
{
    return window.standardWindowButton(TCImageWindow::ZoomButton);
}

class CountingDelegate : public TCWindowDelegate
{
public:
    bool allowClose = true;
    int shouldCloseCalls = 0;
    int willCloseCalls = 0;
    bool windowShouldClose(TCImageWindow *) override
    {
        ++shouldCloseCalls;
        return allowClose;
    }
    void windowWillClose(TCImageWindow *) override { ++willCloseCalls; }
};

class TCImageWindowTest : public ::testing::Test
{
protected:
    // Hidden windows get their resize events only when shown.
    void SetUp() override { window.show(); }
    void TearDown() override { TCImageWindow::setCompositorProbe(nullptr); }

    // Made translucent, as on a composited desktop.
    TCImageWindow &window = *[] {
        TCImageWindow::setCompositorProbe([] { return true; });
        return new TCImageWindow(QSize(kWidth, kHeight - 22));
    }();
    std::unique_ptr<TCImageWindow> m_owner{&window};
};

} // namespace

TEST_F(TCImageWindowTest, setUpGivesTheStandardBarButtonsAndContent)
{
    EXPECT_EQ(window.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(window.titleBarHeight(), 22.0);
    EXPECT_EQ(window.trafficLightButtonsLeftMargin(), 8.0);
    EXPECT_EQ(window.trafficLightSeparation(), 8.0);
    EXPECT_EQ(window.trafficLightButtonsTopMargin(), 3.0);
    EXPECT_EQ(window.fullScreenButtonTopMargin(), 3.0);
    EXPECT_EQ(window.fullScreenButtonRightMargin(), 0.0);
    EXPECT_EQ(window.topButtonMoveUp(), 0.0);
    EXPECT_TRUE(window.centerTrafficLightButtons());
    EXPECT_TRUE(window.showsBaselineSeparator());
    EXPECT_FALSE(window.verticalTrafficLightButtons());
    EXPECT_FALSE(window.centerFullScreenButton());
    EXPECT_FALSE(window.showsTitle());
    EXPECT_FALSE(window.hideTitleBarInFullScreen());
    EXPECT_EQ(window.delegate(), nullptr);
    EXPECT_EQ(window.closeButton(), nullptr);
    EXPECT_EQ(window.themeFrameView(), &window);
    EXPECT_TRUE(window.isMovableByWindowBackground());

    // The container sits behind everything, the title-bar view fills it.
    QWidget *bar = window.titleBarView();
    ASSERT_NE(qobject_cast<JXTitlebarView *>(bar), nullptr);
    ASSERT_NE(bar->parentWidget(), nullptr);
    EXPECT_EQ(bar->parentWidget()->geometry(), QRect(0, 0, kWidth, 22));
    EXPECT_EQ(window.children().indexOf(bar->parentWidget()), 0);
    EXPECT_EQ(bar->geometry(), QRect(0, 0, kWidth, 22));
    ASSERT_NE(window.contentView(), nullptr);
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 22, kWidth, kHeight - 22));

    // Only close, minimize and zoom exist.
    EXPECT_NE(closeOf(window), nullptr);
    EXPECT_EQ(window.standardWindowButton(TCImageWindow::DocumentIconButton), nullptr);
    EXPECT_EQ(window.standardWindowButton(TCImageWindow::DocumentVersionsButton), nullptr);
    EXPECT_EQ(window.standardWindowButton(TCImageWindow::FullScreenButton), nullptr);
    EXPECT_EQ(geometryOf(closeOf(window)), QRect(8, 5, 12, 12));
    EXPECT_EQ(geometryOf(minimizeOf(window)), QRect(28, 5, 12, 12));
    EXPECT_EQ(geometryOf(zoomOf(window)), QRect(48, 5, 12, 12));
}

TEST_F(TCImageWindowTest, laterWindowsKeepTheMeasuredDefaults)
{
    window.setTrafficLightButtonsLeftMargin(30);
    TCImageWindow second(QSize(200, 100));
    EXPECT_EQ(second.trafficLightButtonsLeftMargin(), 8.0);
    EXPECT_EQ(second.trafficLightSeparation(), 8.0);
    EXPECT_EQ(second.titleBarHeight(), 22.0);
}

TEST_F(TCImageWindowTest, horizontalArrangementCentresRoundsAndMovesUp)
{
    // Centre of a 37-point bar: 322 - 37 + 18.5 - 6 = 297.5 from below rounds up to 298.
    window.setTitleBarHeight(37);
    EXPECT_EQ(geometryOf(closeOf(window)), QRect(8, kHeight - 298 - 12, 12, 12));

    window.setTrafficLightButtonsLeftMargin(10);
    window.setTrafficLightSeparation(5);
    EXPECT_EQ(geometryOf(closeOf(window)).x(), 10);
    EXPECT_EQ(geometryOf(minimizeOf(window)).x(), 27);
    EXPECT_EQ(geometryOf(zoomOf(window)).x(), 44);

    // Moving up shows only at the next layout, and then on all three buttons.
    const int y = geometryOf(closeOf(window)).y();
    window.setTopButtonMoveUp(3);
    EXPECT_EQ(geometryOf(closeOf(window)).y(), y);
    window.setTitle(QStringLiteral("Now"));
    EXPECT_EQ(geometryOf(closeOf(window)).y(), y - 3);
    EXPECT_EQ(geometryOf(minimizeOf(window)).y(), y - 3);
    EXPECT_EQ(geometryOf(zoomOf(window)).y(), y - 3);
}

TEST_F(TCImageWindowTest, horizontalArrangementFromTheTopMargin)
{
    window.setTitleBarHeight(30);
    window.setTrafficLightButtonsTopMargin(4);
    window.setCenterTrafficLightButtons(false);
    EXPECT_EQ(geometryOf(closeOf(window)).y(), 4);
    window.setTopButtonMoveUp(2);
    window.resize(kWidth + 10, kHeight);
    EXPECT_EQ(geometryOf(closeOf(window)).y(), 2);
    EXPECT_EQ(geometryOf(zoomOf(window)).y(), 2);
}

TEST_F(TCImageWindowTest, verticalArrangementStacksCloseOnTopAndIgnoresMoveUp)
{
    window.setTitleBarHeight(60);
    window.setTopButtonMoveUp(5);
    window.setVerticalTrafficLightButtons(true);
    // Stack of 3 x 12 + 2 x (8 - 2) = 48 centred in 60: zoom 6 above the bar's lower edge.
    EXPECT_EQ(geometryOf(zoomOf(window)), QRect(8, 42, 12, 12));
    EXPECT_EQ(geometryOf(minimizeOf(window)), QRect(8, 24, 12, 12));
    EXPECT_EQ(geometryOf(closeOf(window)), QRect(8, 6, 12, 12));

    window.setCenterTrafficLightButtons(false);
    // 60 - 48 - 3 above the lower edge.
    EXPECT_EQ(geometryOf(zoomOf(window)), QRect(8, 39, 12, 12));
    EXPECT_EQ(geometryOf(closeOf(window)), QRect(8, 3, 12, 12));
}

TEST_F(TCImageWindowTest, equalValuesChangeNothing)
{
    // A button moved by hand stays put when no layout runs.
    closeOf(window)->move(100, 100);
    window.setTitleBarHeight(22);
    window.setTrafficLightButtonsLeftMargin(8);
    window.setTrafficLightSeparation(8);
    window.setCenterTrafficLightButtons(true);
    window.setVerticalTrafficLightButtons(false);
    window.setCenterFullScreenButton(false);
    window.setFullScreenButtonRightMargin(0);
    EXPECT_EQ(closeOf(window)->pos(), QPoint(100, 100));
    window.setTrafficLightSeparation(9);
    EXPECT_EQ(closeOf(window)->pos(), QPoint(8, 5));
}

TEST_F(TCImageWindowTest, equalHeightKeepsTheHeightFullScreenRestores)
{
    window.setHideTitleBarInFullScreen(true);
    window.setTitleBarHeight(30);
    window.setTitleBarHeight(30);
    QWidget other;
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen, &other);
    EXPECT_EQ(window.titleBarHeight(), 0.0);
    EXPECT_TRUE(window.titleBarView()->isHidden());
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 0, kWidth, kHeight));
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillExitFullScreen, &other);
    EXPECT_EQ(window.titleBarHeight(), 30.0);
    EXPECT_FALSE(window.titleBarView()->isHidden());
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 30, kWidth, kHeight - 30));
}

TEST_F(TCImageWindowTest, fullScreenLeavesTheBarAloneUnlessAsked)
{
    window.setTitleBarHeight(30);
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen, &window);
    EXPECT_EQ(window.titleBarHeight(), 30.0);
    EXPECT_FALSE(window.titleBarView()->isHidden());
}

TEST_F(TCImageWindowTest, fullScreenButtonKeepsItsMeasuredRightMargin)
{
    auto *fullScreen = new TCWindowButton(QSize(16, 16), QString());
    window.setFullScreenButton(fullScreen);
    // No standard full-screen button: it starts at the zero point and nothing is laid out yet.
    EXPECT_EQ(fullScreen->pos(), QPoint(0, 0));
    EXPECT_EQ(fullScreen->parentWidget(), &window);
    fullScreen->move(kWidth - 16 - 5, 0);
    window.setTopButtonMoveUp(4);
    window.setTitleBarHeight(30);
    EXPECT_EQ(window.fullScreenButtonRightMargin(), 5.0);
    EXPECT_EQ(fullScreen->geometry(), QRect(kWidth - 21, 3, 16, 16));

    window.resize(kWidth + 100, kHeight);
    EXPECT_EQ(fullScreen->x(), kWidth + 100 - 21);
    window.setCenterFullScreenButton(true);
    EXPECT_EQ(fullScreen->y(), 7); // 30 / 2 - 16 / 2, with no move-up
}

TEST_F(TCImageWindowTest, fullScreenButtonAtTheEdgeIsMeasuredAgainEachTime)
{
    auto *fullScreen = new TCWindowButton(QSize(16, 16), QString());
    window.setFullScreenButton(fullScreen);
    fullScreen->move(kWidth - 16, 0);
    window.setTitle(QStringLiteral("layout"));
    EXPECT_EQ(window.fullScreenButtonRightMargin(), 0.0);
    EXPECT_EQ(fullScreen->x(), kWidth - 16);
    // Still unmeasured: the next layout measures the margin where the button now is.
    fullScreen->move(kWidth - 40, 0);
    window.setTitle(QStringLiteral("again"));
    EXPECT_EQ(window.fullScreenButtonRightMargin(), 24.0);
}

TEST_F(TCImageWindowTest, suppliedButtonReplacesTheStandardOneAtTheNextLayout)
{
    auto *close = new TCWindowButton(QSize(14, 14), QStringLiteral("test.supplied"));
    window.setCloseButton(close);
    EXPECT_EQ(window.closeButton(), close);
    EXPECT_EQ(close->parentWidget(), &window);
    EXPECT_EQ(close->pos(), closeOf(window)->pos());
    EXPECT_FALSE(closeOf(window)->isHidden());

    window.setTitleBarHeight(40);
    EXPECT_TRUE(closeOf(window)->isHidden());
    EXPECT_EQ(close->geometry(), QRect(8, 13, 14, 14));
    // The minimize button follows the supplied button's width.
    EXPECT_EQ(minimizeOf(window)->x(), 8 + 14 + 8);

    QPointer<TCWindowButton> first(close);
    window.setCloseButton(close);
    EXPECT_FALSE(first.isNull());
    window.setCloseButton(new TCWindowButton(QSize(12, 12), QString()));
    EXPECT_TRUE(first.isNull());
    // Without a supplied button the window gets its own close button back, but a standard
    // button its controller hid stays hidden.
    window.setCloseButton(nullptr);
    window.setTitle(QStringLiteral("layout"));
    EXPECT_FALSE(closeOf(window)->isHidden());
    zoomOf(window)->hide();
    window.setZoomButton(new TCWindowButton(QSize(12, 12), QString()));
    window.setTitle(QStringLiteral("with zoom"));
    window.setZoomButton(nullptr);
    window.setTitle(QStringLiteral("without zoom"));
    EXPECT_TRUE(zoomOf(window)->isHidden());
}

TEST_F(TCImageWindowTest, suppliedCloseButtonClosesThroughTheDelegate)
{
    CountingDelegate delegate;
    delegate.allowClose = false;
    window.setDelegate(&delegate);
    auto *close = new TCWindowButton(QSize(12, 12), QString());
    window.setCloseButton(close);
    window.show();
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(delegate.shouldCloseCalls, 1);
    EXPECT_TRUE(window.isVisible());
    delegate.allowClose = true;
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(delegate.willCloseCalls, 1);
}

TEST_F(TCImageWindowTest, closeButtonClosesOnlyOnReleaseInside)
{
    window.show();
    TCWindowButton *close = closeOf(window);
    QTest::mousePress(close, Qt::LeftButton, {}, QPoint(6, 6));
    QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_TRUE(window.isVisible());
    QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TCImageWindowTest, replacedCloseActionRuns)
{
    int calls = 0;
    closeOf(window)->setAction([&calls] { ++calls; });
    window.show();
    QTest::mouseClick(closeOf(window), Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TCImageWindowTest, delegateIsNeverCalledAfterItIsGone)
{
    auto delegate = std::make_unique<CountingDelegate>();
    delegate->allowClose = false;
    window.setDelegate(delegate.get());
    EXPECT_EQ(window.delegate(), delegate.get());
    delegate.reset();
    EXPECT_EQ(window.delegate(), nullptr);
    window.show();
    window.performClose();
    EXPECT_FALSE(window.isVisible());

    CountingDelegate other;
    window.setDelegate(&other);
    window.setDelegate(nullptr);
    EXPECT_EQ(window.delegate(), nullptr);
    EXPECT_EQ(window.positionSheet(nullptr, QRectF(10, 20, 100, 50)), QRectF(10, kHeight - 22, 100, 50));
}

TEST_F(TCImageWindowTest, contentFollowsTheTitleBarAndTheWindowSize)
{
    window.setTitleBarHeight(40);
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 40, kWidth, kHeight - 40));
    window.resize(500, 400);
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 40, 500, 360));
    EXPECT_EQ(window.titleBarView()->geometry(), QRect(0, 0, 500, 40));

    QPointer<QWidget> previous = window.contentView();
    auto *content = new QLabel(QStringLiteral("content"));
    window.setContentView(content);
    EXPECT_EQ(window.contentView(), content);
    EXPECT_EQ(content->geometry(), QRect(0, 40, 500, 360));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(previous.isNull());
    // The buttons stay above a content view added later.
    EXPECT_GT(window.children().indexOf(closeOf(window)), window.children().indexOf(content));
}

TEST_F(TCImageWindowTest, contentMovedElsewhereIsNoLongerPlaced)
{
    QWidget pane;
    pane.resize(50, 50);
    QWidget *content = window.contentView();
    content->setParent(&pane);
    content->setGeometry(1, 2, 30, 30);
    window.setTitleBarHeight(30);
    EXPECT_EQ(window.contentView(), nullptr);
    EXPECT_EQ(content->geometry(), QRect(1, 2, 30, 30));
}

TEST_F(TCImageWindowTest, titleBarViewReplacement)
{
    QWidget *original = window.titleBarView();
    window.setTitleBarView(nullptr);
    EXPECT_EQ(window.titleBarView(), original);
    window.setTitleBarView(original);
    EXPECT_EQ(window.titleBarView(), original);

    QPointer<QWidget> old(original);
    auto *replacement = new QWidget;
    window.setTitleBarView(replacement);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(window.titleBarView(), replacement);
    EXPECT_EQ(replacement->geometry(), QRect(0, 0, kWidth, 22));
    window.setTitleBarHeight(50);
    EXPECT_EQ(replacement->geometry(), QRect(0, 0, kWidth, 50));
}

TEST_F(TCImageWindowTest, draggingTheTitleBarMovesTheWindow)
{
    window.move(100, 100);
    window.show();
    QLabel *label = new QLabel(QStringLiteral("Title"), window.titleBarView());
    label->setGeometry(100, 2, 100, 17);
    label->show();
    const QPoint start = window.pos();

    // A press on a label in the title bar drags the window, as on the bar itself.
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(35, 25), label->mapToGlobal(QPointF(35, 25)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(35, 25));
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));
}

TEST_F(TCImageWindowTest, draggingTheBackgroundMovesTheWindowButNotThroughControls)
{
    window.move(100, 100);
    auto *content = new QWidget;
    auto *button = new QPushButton(QStringLiteral("OK"), content);
    button->setGeometry(10, 10, 80, 30);
    window.setContentView(content);
    window.show();
    const QPoint start = window.pos();

    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent overButton(QEvent::MouseMove, QPointF(10, 8), button->mapToGlobal(QPointF(10, 8)), Qt::NoButton,
                           Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &overButton);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(window.pos(), start);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mousePress(content, Qt::LeftButton, {}, QPoint(200, 200));
    QMouseEvent overContent(QEvent::MouseMove, QPointF(190, 215), content->mapToGlobal(QPointF(190, 215)),
                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &overContent);
    QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(190, 215));
    EXPECT_EQ(window.pos(), start + QPoint(-10, 15));
}

TEST_F(TCImageWindowTest, noDraggingInFullScreen)
{
    window.move(100, 100);
    window.show();
    window.setWindowState(Qt::WindowFullScreen);
    const QPoint start = window.pos();
    window.beginWindowDrag(QPointF(10, 10));
    window.continueWindowDrag(QPointF(60, 60));
    window.endWindowDrag();
    EXPECT_EQ(window.pos(), start);
}

TEST_F(TCImageWindowTest, enteringFullScreenIsAnnouncedToEveryWindow)
{
    TCImageWindow other(QSize(200, 100));
    other.setHideTitleBarInFullScreen(true);
    window.show();
    window.setWindowState(Qt::WindowFullScreen);
    EXPECT_EQ(other.titleBarHeight(), 0.0);
    window.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(other.titleBarHeight(), 22.0);
}

TEST(TCImageWindowShapeTest, withoutCompositorTheCornersAreMasked)
{
    TCImageWindow::setCompositorProbe([] { return false; });
    TCImageWindow window(QSize(200, 100));
    TCImageWindow::setCompositorProbe(nullptr);
    EXPECT_TRUE(window.usesWindowMask());
    EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground));
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.contains(QPoint(1, 1)));
    EXPECT_FALSE(mask.contains(QPoint(198, 1)));
    EXPECT_TRUE(mask.contains(QPoint(100, 1)));
    EXPECT_TRUE(mask.contains(QPoint(0, 121)));
    EXPECT_TRUE(mask.contains(QPoint(199, 121)));
    window.show();
    window.resize(300, 150);
    EXPECT_TRUE(window.mask().contains(QPoint(299, 149)));
    EXPECT_FALSE(window.mask().contains(QPoint(298, 1)));
}

TEST(TCImageWindowShapeTest, withCompositorTheWindowIsTranslucent)
{
    TCImageWindow::setCompositorProbe([] { return true; });
    TCImageWindow window(QSize(200, 100));
    TCImageWindow::setCompositorProbe(nullptr);
    EXPECT_FALSE(window.usesWindowMask());
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window.mask().isEmpty());
}

TEST_F(TCImageWindowTest, aFixedSizeWindowNeitherZoomsNorGrows)
{
    window.setResizable(false);
    EXPECT_EQ(window.minimumSize(), QSize(kWidth, kHeight));
    EXPECT_EQ(window.maximumSize(), QSize(kWidth, kHeight));
    EXPECT_FALSE(zoomOf(window)->isEnabled()) << "greyed, not hidden: the bar keeps its three buttons";
    QTest::mouseClick(zoomOf(window), Qt::LeftButton);
    window.performZoom();
    EXPECT_FALSE(window.isMaximized());
    EXPECT_EQ(window.size(), QSize(kWidth, kHeight));

    // A zoom button supplied later is greyed too.
    auto *supplied = new TCWindowButton(QSize(12, 12), QString());
    window.setZoomButton(supplied);
    EXPECT_FALSE(supplied->isEnabled());

    window.setResizable(true);
    EXPECT_TRUE(zoomOf(window)->isEnabled());
    window.performZoom();
    EXPECT_TRUE(window.isMaximized());
}

TEST_F(TCImageWindowTest, aDialogCannotBeMinimisedNorZoomed)
{
    window.makeDialogChrome();
    EXPECT_FALSE(window.isMiniaturizable());
    EXPECT_FALSE(window.isResizable());
    EXPECT_TRUE(minimizeOf(window)->isHidden());
    EXPECT_TRUE(zoomOf(window)->isHidden());
    EXPECT_FALSE(closeOf(window)->isHidden());
    window.performMiniaturize();
    window.miniaturize(); // as a double click on the title bar asks
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TCImageWindowTest, returnAndEscapePressTheVisibleDefaultAndCancelButtons)
{
    QWidget *content = window.contentView();
    QStringList pressed;
    auto makeButton = [&](QWidget *parent, const QString &name, int keys) {
        auto *button = new CustemImageButton(parent);
        button->setButtonEnabled(true);
        button->setDelegate(&window);
        button->setButtonAction([&pressed, name] { pressed << name; });
        button->setKeyEquivalents(keys);
        return button;
    };
    auto *hiddenPane = new QWidget(content);
    makeButton(hiddenPane, QStringLiteral("hidden yes"), CustemImageButton::ReturnKey);
    hiddenPane->hide();
    auto *pane = new QWidget(content);
    makeButton(pane, QStringLiteral("yes"), CustemImageButton::ReturnKey);
    CustemImageButton *cancel = makeButton(pane, QStringLiteral("cancel"), CustemImageButton::EscapeKey);
    pane->show();

    QTest::keyClick(&window, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(pressed, (QStringList{QStringLiteral("yes"), QStringLiteral("yes"), QStringLiteral("cancel")}));

    // A disabled cancel button is not pressed; without one, only a modal window closes on Escape.
    cancel->setButtonEnabled(false);
    CountingDelegate delegate;
    window.setDelegate(&delegate);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(pressed.size(), 3);
    EXPECT_EQ(delegate.shouldCloseCalls, 0) << "a main window does not close on Escape";
    window.hide();
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(delegate.shouldCloseCalls, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TCImageWindowTest, theEdgeLiesAlongTheOutlineAboveEverythingElse)
{
    auto *cover = new QWidget(window.contentView());
    cover->setAutoFillBackground(true);
    QPalette white = cover->palette();
    white.setColor(QPalette::Window, Qt::white);
    cover->setPalette(white);
    cover->setGeometry(window.contentView()->rect());
    cover->show();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window.render(&image);
    // The lower corners are square: the edge shows right in them and along the sides.
    auto darker = [](QRgb pixel) { return qGray(pixel) < 245 && qAlpha(pixel) > 0; };
    EXPECT_TRUE(darker(image.pixel(0, kHeight - 1)));
    EXPECT_TRUE(darker(image.pixel(kWidth / 2, kHeight - 1)));
    EXPECT_TRUE(darker(image.pixel(kWidth - 1, kHeight / 2)));
    EXPECT_FALSE(darker(image.pixel(kWidth / 2, kHeight / 2)));
}
