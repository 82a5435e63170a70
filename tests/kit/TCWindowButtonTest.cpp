#include "TCWindowButton.h"
#include "ImageLibrary.h"
#include "TCStandardWindowButtonArt.h"
#include "TCWindowButtonGroup.h"
#include "TCWindowNotifications.h"
#include "Theme.h"
#include "platform/NotificationCenter.h"

#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>

namespace {

QPixmap solid(Qt::GlobalColor color)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(color);
    return pixmap;
}

// A button with one distinct image per look, in a group of its own.
TCWindowButton *makeButton(const QString &group, QWidget *parent = nullptr)
{
    auto *button = new TCWindowButton(QSize(12, 12), group, parent);
    button->setActiveImage(solid(Qt::red));
    button->setActiveNotKeyWindowImage(solid(Qt::gray));
    button->setInactiveImage(solid(Qt::lightGray));
    button->setRolloverImage(solid(Qt::yellow));
    button->setPressedImage(solid(Qt::darkRed));
    button->updateImage();
    return button;
}

bool shows(const TCWindowButton *button, const QPixmap &image)
{
    return button->displayedImage().cacheKey() == image.cacheKey();
}

void sendMove(QWindow *window, QPointF pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, pos, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
}

} // namespace

TEST(TCWindowButtonGroupTest, oneGroupPerIdentifier)
{
    TCWindowButtonGroup *byDefault = TCWindowButtonGroup::groupWithIdentifier();
    EXPECT_EQ(byDefault->identifier(), QStringLiteral("com.corvath.TCImageWindow.defaultWindowButtonGroup"));
    EXPECT_EQ(TCWindowButtonGroup::groupWithIdentifier(byDefault->identifier()), byDefault);
    EXPECT_EQ(TCWindowButtonGroup::groupWithIdentifier(QStringLiteral("a")),
              TCWindowButtonGroup::groupWithIdentifier(QStringLiteral("a")));
    EXPECT_NE(TCWindowButtonGroup::groupWithIdentifier(QStringLiteral("a")), byDefault);
}

TEST(TCWindowButtonGroupTest, countingAndItsNotification)
{
    TCWindowButtonGroup group(QStringLiteral("count"));
    QObject observer;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(
        &observer, TCWindowButtonGroup::DidUpdateRolloverStateNotification,
        [&posts](const Notification &) { ++posts; }, &group);

    group.setNumberOfCaptures(0);
    group.setNumberOfCaptures(-1);
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(group.numberOfCaptures(), 0);
    group.setNumberOfCaptures(2);
    EXPECT_EQ(posts, 1);
    EXPECT_TRUE(group.shouldDisplayRollOver());

    group.resetMouseCaptures();
    group.didCaptureMousePointer();
    group.didReleaseMousePointer();
    group.didCaptureMousePointer();
    group.didReleaseMousePointer();
    EXPECT_EQ(group.numberOfCaptures(), 0);
    // A release after a reset goes below zero; two captures are needed to show rollover again.
    group.didReleaseMousePointer();
    EXPECT_EQ(group.numberOfCaptures(), -1);
    group.didCaptureMousePointer();
    EXPECT_FALSE(group.shouldDisplayRollOver());
    group.didCaptureMousePointer();
    EXPECT_TRUE(group.shouldDisplayRollOver());
    EXPECT_EQ(posts, 1);
}

TEST(TCWindowButtonTest, imageFollowsWindowStateAndPointer)
{
    QWidget window;
    TCWindowButton *button = makeButton(QStringLiteral("images"), &window);
    TCWindowButtonGroup *group = button->group();
    group->resetMouseCaptures();
    // Not key: the not-key image.
    EXPECT_TRUE(shows(button, button->activeNotKeyWindowImage()));

    button->mouseEntered();
    EXPECT_TRUE(shows(button, button->rolloverImage()));
    EXPECT_EQ(group->numberOfCaptures(), 1);
    button->mouseExited();
    EXPECT_TRUE(shows(button, button->activeNotKeyWindowImage()));

    // Disabled under the pointer: the inactive image, not the rollover one.
    button->setEnabled(false);
    EXPECT_TRUE(shows(button, button->inactiveImage()));
    button->mouseEntered();
    EXPECT_TRUE(shows(button, button->inactiveImage()));
    button->mouseExited();

    // Enabling shows the active image even though the window is not key, until focus changes.
    button->setEnabled(true);
    EXPECT_TRUE(shows(button, button->activeImage()));
    button->updateImage();
    EXPECT_TRUE(shows(button, button->activeNotKeyWindowImage()));

    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(shows(button, button->activeImage()));
}

TEST(TCWindowButtonTest, aLookIsDrawnOnceWhenFirstNeededAndAStoredOneIsNeverDrawn)
{
    QWidget window;
    auto *button = new TCWindowButton(QSize(12, 12), QStringLiteral("drawn when needed"), &window);
    std::map<TCWindowButton::Look, int> drawn;
    button->setLookSource([&drawn](TCWindowButton::Look look) {
        ++drawn[look];
        return solid(std::array{Qt::red, Qt::gray, Qt::lightGray, Qt::yellow, Qt::darkRed}[size_t(look)]);
    });
    button->setActiveImage(solid(Qt::green));
    button->group()->resetMouseCaptures();
    button->updateImage();
    // Only what shows has been drawn.
    EXPECT_EQ(drawn, (std::map<TCWindowButton::Look, int>{{TCWindowButton::ActiveNotKey, 1}}));
    EXPECT_EQ(button->displayedImage().toImage().pixelColor(0, 0), QColor(Qt::gray));

    for (int hover = 0; hover < 2; ++hover) {
        button->mouseEntered();
        EXPECT_TRUE(shows(button, button->rolloverImage()));
        button->mouseExited();
    }
    EXPECT_EQ(drawn[TCWindowButton::Rollover], 1);
    EXPECT_EQ(button->rolloverImage().toImage().pixelColor(0, 0), QColor(Qt::yellow));
    // A stored look is the one shown, and the source is never asked for it.
    button->setEnabled(false);
    button->setEnabled(true);
    EXPECT_TRUE(shows(button, button->activeImage()));
    EXPECT_EQ(button->activeImage().toImage().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(drawn.count(TCWindowButton::Active), 0u);
    EXPECT_EQ(drawn[TCWindowButton::Inactive], 1);
}

TEST(TCWindowButtonTest, storingAnImageChangesNothingOnScreen)
{
    QWidget window;
    TCWindowButton *button = makeButton(QStringLiteral("store"), &window);
    const QPixmap before = button->displayedImage();
    button->setActiveNotKeyWindowImage(solid(Qt::blue));
    EXPECT_EQ(button->displayedImage().cacheKey(), before.cacheKey());
}

TEST(TCWindowButtonTest, groupNotificationRefreshesEveryButton)
{
    QWidget window;
    TCWindowButton *first = makeButton(QStringLiteral("shared"), &window);
    TCWindowButton *second = makeButton(QStringLiteral("shared"), &window);
    first->group()->resetMouseCaptures();
    first->mouseEntered();
    // Capturing does not tell the others.
    EXPECT_TRUE(shows(second, second->activeNotKeyWindowImage()));
    first->group()->setNumberOfCaptures(3);
    EXPECT_TRUE(shows(second, second->rolloverImage()));
    first->group()->setNumberOfCaptures(0);
    EXPECT_TRUE(shows(second, second->activeNotKeyWindowImage()));
}

TEST(TCWindowButtonTest, trackingAreaReachesFourPointsBeyondTheButton)
{
    QWidget window;
    window.resize(100, 60);
    TCWindowButton *button = makeButton(QStringLiteral("tracking"), &window);
    button->move(20, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(button->mouseTrackingArea(), QRect(-4, -4, 20, 20));
    button->resize(16, 14);
    EXPECT_EQ(button->mouseTrackingArea(), QRect(-4, -4, 24, 22));
    button->resize(12, 12);

    QWindow *surface = window.windowHandle();
    ASSERT_NE(surface, nullptr);
    TCWindowButtonGroup *group = button->group();
    group->resetMouseCaptures();
    sendMove(surface, QPointF(17, 17));
    EXPECT_EQ(group->numberOfCaptures(), 1);
    EXPECT_TRUE(shows(button, button->rolloverImage()));
    sendMove(surface, QPointF(34, 34));
    EXPECT_EQ(group->numberOfCaptures(), 1);
    sendMove(surface, QPointF(36, 20));
    EXPECT_EQ(group->numberOfCaptures(), 0);
    sendMove(surface, QPointF(25, 25));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(surface, &leave);
    EXPECT_EQ(group->numberOfCaptures(), 0);
}

TEST(TCWindowButtonTest, fullScreenHidesAndResets)
{
    QWidget window;
    TCWindowButton *button = makeButton(QStringLiteral("fullscreen"), &window);
    window.show();
    button->group()->resetMouseCaptures();
    button->mouseEntered();
    QWidget elsewhere;
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen,
                                                         &elsewhere);
    EXPECT_FALSE(button->isHidden());
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen, &window);
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(button->group()->numberOfCaptures(), 0);
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillExitFullScreen, &window);
    EXPECT_FALSE(button->isHidden());
}

TEST(TCWindowButtonTest, movingToAnotherWindowFollowsThatWindow)
{
    QWidget first;
    QWidget second;
    TCWindowButton *button = makeButton(QStringLiteral("move"), &first);
    button->setParent(&second);
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen, &first);
    EXPECT_FALSE(button->isHidden());
    NotificationCenter::defaultCenter().postNotification(windownotifications::WillEnterFullScreen, &second);
    EXPECT_TRUE(button->isHidden());
}

TEST(TCWindowButtonTest, actionRunsOnlyOnReleaseInside)
{
    QWidget window;
    TCWindowButton *button = makeButton(QStringLiteral("click"), &window);
    window.show();
    int runs = 0;
    button->setAction([&runs] { ++runs; });
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_TRUE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(runs, 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(runs, 1);
}

TEST(TCStandardWindowButtonArtTest, everyLookIsDrawnAndDistinct)
{
    for (int type = 0; type <= 2; ++type) {
        QList<QImage> looks;
        for (auto look : {TCStandardWindowButtonArt::Active, TCStandardWindowButtonArt::ActiveNotKey,
                          TCStandardWindowButtonArt::Inactive, TCStandardWindowButtonArt::Rollover,
                          TCStandardWindowButtonArt::Pressed}) {
            const QImage image =
                TCStandardWindowButtonArt::image(TCStandardWindowButtonArt::Type(type), look, 12, 2.0)
                    .toImage();
            EXPECT_EQ(image.size(), QSize(24, 24));
            EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0); // round, not square
            EXPECT_EQ(image.pixelColor(12, 12).alpha(), 255);
            for (const QImage &other : looks)
                EXPECT_NE(image, other);
            looks << image;
        }
    }
}

TEST(TCStandardWindowButtonArtTest, aMadeButtonGetsEachLookOfItsType)
{
    using Art = TCStandardWindowButtonArt;
    for (int type = 0; type <= 2; ++type) {
        std::unique_ptr<TCWindowButton> button(Art::makeButton(Art::Type(type), QString(), nullptr));
        const auto drawn = [type](Art::Look look) {
            return Art::image(Art::Type(type), look, theme::kWindowButtonDiameter,
                              ImageLibrary::screenRatio())
                .toImage();
        };
        EXPECT_EQ(button->activeImage().toImage(), drawn(Art::Active)) << type;
        EXPECT_EQ(button->activeNotKeyWindowImage().toImage(), drawn(Art::ActiveNotKey)) << type;
        EXPECT_EQ(button->inactiveImage().toImage(), drawn(Art::Inactive)) << type;
        EXPECT_EQ(button->rolloverImage().toImage(), drawn(Art::Rollover)) << type;
        EXPECT_EQ(button->pressedImage().toImage(), drawn(Art::Pressed)) << type;
    }
}

TEST(TCWindowButtonTest, aWindowGoingAwayUnderThePointerGivesItsCaptureBack)
{
    // Two windows of one group, as every image window's standard buttons are.
    const QString groupName = QStringLiteral("given back");
    QWidget first;
    QWidget second;
    first.resize(60, 30);
    second.resize(60, 30);
    TCWindowButton *closing = makeButton(groupName, &first);
    TCWindowButton *other = makeButton(groupName, &second);
    TCWindowButtonGroup *group = closing->group();
    group->resetMouseCaptures();
    first.show();
    second.show();

    // The pointer rests on the first window's button when that window closes from it.
    sendMove(first.windowHandle(), QPointF(6, 6));
    EXPECT_EQ(group->numberOfCaptures(), 1);
    first.hide();
    EXPECT_EQ(group->numberOfCaptures(), 0);

    // On the other window, entering and leaving a button leaves no rollover look behind.
    other->mouseEntered();
    EXPECT_TRUE(shows(other, other->rolloverImage()));
    other->mouseExited();
    EXPECT_FALSE(shows(other, other->rolloverImage()));

    // Losing focus under the pointer gives it back too, and a refresh reaches every button.
    first.show();
    sendMove(first.windowHandle(), QPointF(6, 6));
    other->updateRollOverImage();
    EXPECT_TRUE(shows(other, other->rolloverImage())) << "the group shows rollover while captured";
    QEvent deactivate(QEvent::ActivationChange);
    QApplication::sendEvent(&first, &deactivate);
    EXPECT_EQ(group->numberOfCaptures(), 0);
    EXPECT_FALSE(shows(other, other->rolloverImage()));
    // It never goes below zero, whatever order the events come in.
    first.hide();
    EXPECT_EQ(group->numberOfCaptures(), 0);
}
