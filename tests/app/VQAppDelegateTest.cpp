// The application delegate: the main window at launch, the menu's items and links, quitting, and
// the application loop that brings it all up.
#include "VQAppDelegate.h"

#include "AppMain.h"
#include "FontWarmUp.h"
#include "MainWindowController.h"
#include "MainWindowTestSupport.h"
#include "RunWindowTestSupport.h"
#include "TCImageWindow.h"
#include "VQCheckUpdateWindowController.h"
#include "common/ScopedOverride.h"
#include "platform/NotificationCenter.h"
#include "platform/PowerAssertion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHash>
#include <QScreen>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

using mainwindow::MainBundle;
using mainwindow::RecordingWorkspace;

namespace {

// An inhibitor whose bus answers only once the main window has been shown (or after 5 s).
class BusWaitingForTheWindow : public PowerAssertion
{
public:
    static constexpr AssertionID kGranted = 777;
    std::promise<void> windowShown;
    std::shared_future<void> shown = windowShown.get_future().share();
    bool answeredBeforeTheWindow = false;

    int createWithName(const QString &, int, const QString &, AssertionID *id) override
    {
        if (shown.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
            answeredBeforeTheWindow = true;
        *id = kGranted;
        return kReturnSuccess;
    }
    int release(AssertionID) override { return kReturnSuccess; }
    void updateSystemActivity(int) override {}
};

// Sees every event the application delivers, before its target does.
class EventWatcher : public QObject
{
public:
    explicit EventWatcher(std::function<void(QObject *, QEvent *)> seen)
        : m_seen(std::move(seen))
    {
        qApp->installEventFilter(this);
    }
    ~EventWatcher() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *target, QEvent *event) override
    {
        m_seen(target, event);
        return false;
    }

private:
    std::function<void(QObject *, QEvent *)> m_seen;
};

class AppDelegateTest : public ::testing::Test
{
protected:
    void TearDown() override { QCoreApplication::processEvents(); }

    MainBundle m_bundle;
    RecordingWorkspace m_workspace;
    dialogs::ModalRecorder m_modal;
};

// The position of each top-level window at its first show.
class ShowPositions : public QObject
{
public:
    QHash<QObject *, QPoint> positions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow() && !positions.contains(watched))
            positions.insert(watched, widget->pos());
        return false;
    }
};

} // namespace

TEST_F(AppDelegateTest, LaunchingShowsTheMainWindowOnceWithTheMenuButton)
{
    VQAppDelegate delegate;
    EXPECT_EQ(delegate.mainWindow(), nullptr);
    // Where the main window is when it is first shown: already centred, so that it never jumps.
    ShowPositions shown;
    qApp->installEventFilter(&shown);
    delegate.applicationDidFinishLaunching();
    qApp->removeEventFilter(&shown);
    MainWindowController *main = delegate.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->window()->isVisible());
    ASSERT_TRUE(shown.positions.contains(main->window()));
    const QRect available = main->window()->screen()->availableGeometry();
    EXPECT_EQ(shown.positions.value(main->window()), main->window()->pos());
    EXPECT_LE((main->window()->frameGeometry().center() - available.center()).manhattanLength(), 1);
    ASSERT_NE(delegate.menuButton(), nullptr);
    EXPECT_EQ(delegate.menuButton()->parentWidget(), main->window()->titleBarView());
    EXPECT_TRUE(main->window()->actions().contains(delegate.exit())) << "shortcuts work without opening the menu";

    delegate.runRootWindow();
    EXPECT_EQ(delegate.mainWindow(), main) << "a second call only centres and activates";

    // The menu hangs from the button.
    delegate.menuButton()->click();
    QApplication::processEvents();
    ASSERT_TRUE(delegate.applicationMenu()->isVisible());
    dialogs::savePreview(delegate.applicationMenu(), QStringLiteral("main-menu"));
    delegate.applicationMenu()->hide();
}

TEST_F(AppDelegateTest, MenuItemsCarryTheirTitlesAndAreAlwaysEnabled)
{
    VQAppDelegate delegate;
    EXPECT_EQ(delegate.tools_1()->text(), QStringLiteral("Tidyhold"));
    EXPECT_EQ(delegate.tools_2()->text(), QStringLiteral("Launchpost"));
    EXPECT_FALSE(delegate.line()->isVisible());
    EXPECT_EQ(delegate.exit()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(delegate.onlineHelpItem()->shortcut(), QKeySequence(Qt::Key_F1));
    for (QAction *action : delegate.allMenuActions()) {
        if (action->isSeparator())
            continue;
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
        EXPECT_TRUE(delegate.validateMenuItem(action));
    }
}

TEST_F(AppDelegateTest, LinkItemsOpenTheirAddressesAndToolsTheProductPages)
{
    VQAppDelegate delegate;
    delegate.onlineHelpItem()->trigger();
    delegate.userGuide()->trigger();
    delegate.supportCenter()->trigger();
    delegate.translate()->trigger();
    delegate.hardDriveEraser()->trigger();
    delegate.tools_1()->trigger();
    delegate.tools_2()->trigger();
    EXPECT_EQ(m_workspace.urls,
              (QStringList{QStringLiteral("https://example.test/help"), QStringLiteral("https://example.test/guide"),
                           QStringLiteral("https://example.test/support"),
                           QStringLiteral("https://example.test/translate"), VQAppDelegate::kHardDriveEraserPage,
                           VQAppDelegate::kDataRecoveryPage, VQAppDelegate::kLaunchpostPage}));
    delegate.ChangeLanguage();
    EXPECT_EQ(m_workspace.urls.size(), 7);
}

TEST_F(AppDelegateTest, LinkWithoutAnAddressOpensNothing)
{
    MainBundle bare;
    // A settings list with no link keys at all.
    PropertyList::write(Bundle::mainBundle().pathForResource(QStringLiteral("StringMessage"), QStringLiteral("plist")),
                        QVariantMap{{QStringLiteral("en"), QVariantMap()}});
    VQAppDelegate delegate;
    delegate.onlineHelp();
    EXPECT_TRUE(m_workspace.urls.isEmpty());
}

TEST_F(AppDelegateTest, AboutIsFreshEachTimeTheUpdateCheckIsKept)
{
    VQAppDelegate delegate;
    delegate.about()->trigger();
    delegate.about()->trigger();
    EXPECT_EQ(m_modal.runs, 2);
    while (ApplicationModal::isRunningModal())
        ApplicationModal::stopModal();

    delegate.checkUpdate()->trigger();
    VQCheckUpdateWindowController *first = delegate.checkUpdateWindow();
    ASSERT_NE(first, nullptr);
    delegate.checkUpdateAction();
    EXPECT_EQ(delegate.checkUpdateWindow(), first);
    EXPECT_EQ(m_modal.runs, 4);
    EXPECT_EQ(m_modal.lastWindow, first->window());
    while (ApplicationModal::isRunningModal())
        ApplicationModal::stopModal();
    testsupport::waitUntil([first] { return !first->isCheckRunning(); }, 8000);
}

TEST_F(AppDelegateTest, TerminatingHidesTheMainWindowAndUnregisters)
{
    VQAppDelegate delegate;
    EXPECT_TRUE(delegate.applicationShouldTerminate());
    delegate.applicationWillTerminate(); // no window yet: nothing to hide
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(delegate.mainWindow()->window()->isVisible());
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("appWillTerminate"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(delegate.mainWindow()->window()->isVisible());

    delegate.mainWindow()->window()->show();
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("appWillTerminate"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(delegate.mainWindow()->window()->isVisible()) << "the registration went with the first";
}

TEST_F(AppDelegateTest, TheApplicationLoopShowsTheMainWindowAndQuitsWithItsMenu)
{
    appmain::setApplicationLoopOverride({});
    bool sawWindow = false;
    QTimer::singleShot(100, [&sawWindow] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *window = qobject_cast<TCImageWindow *>(widget);
            if (window && window->isVisible() && window->windowTitle() == QStringLiteral("Ostrivan Nullwell"))
                sawWindow = true;
        }
        QCoreApplication::quit();
    });
    char name[] = "nullwell";
    char *argv[] = {name, nullptr};
    EXPECT_EQ(appmain::NSApplicationMain(1, argv), 0);
    EXPECT_TRUE(sawWindow);
    // In the program the process ends here; in this one the next test's modal loops would meet a
    // quit request that the shutdown left behind.
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
}

TEST_F(AppDelegateTest, TheWindowShowsWhileSleepPreventionAndFontsAreLoadingAndItsFirstPictureHasTheFonts)
{
    BusWaitingForTheWindow bus;
    testsupport::ScopedOverride power(&PowerAssertion::setSharedOverride, &bus);
    appmain::setApplicationLoopOverride({});
    // The fonts load beside the window's construction, and here take a while yet, as on a first
    // start with cold caches: the window is built and shown meanwhile, and drawn once they are in.
    std::atomic<bool> fontsLoaded = false;
    testsupport::ScopedOverride fonts(&FontWarmUp::setWorkOverride, std::function<void()>([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fontsLoaded = true;
    }));
    // The first thing the loop handles after the window appears, as a click on Erase would be.
    PowerAssertion::AssertionID heldAtFirstEvent = 0;
    bool signalled = false;
    bool fontsAtShow = true;
    std::optional<bool> fontsAtFirstPicture;
    EventWatcher shown([&](QObject *target, QEvent *event) {
        if (event->type() == QEvent::Paint && !fontsAtFirstPicture && signalled &&
            qobject_cast<QWidget *>(target) && static_cast<QWidget *>(target)->isVisible())
            fontsAtFirstPicture = bool(fontsLoaded);
        if (signalled || event->type() != QEvent::Show || !qobject_cast<TCImageWindow *>(target))
            return;
        signalled = true;
        fontsAtShow = fontsLoaded;
        bus.windowShown.set_value();
        QTimer::singleShot(0, [&] {
            heldAtFirstEvent = appmain::currentAssertionID();
            QCoreApplication::quit();
        });
    });
    FontWarmUp::begin();
    BeginPreventSleep();
    char name[] = "nullwell";
    char *argv[] = {name, nullptr};
    EXPECT_EQ(appmain::NSApplicationMain(1, argv), 0);
    FontWarmUp::finish();
    ReleasePreventObj();
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    EXPECT_FALSE(bus.answeredBeforeTheWindow) << "the window waited for the bus";
    EXPECT_EQ(heldAtFirstEvent, BusWaitingForTheWindow::kGranted) << "an event came before the inhibitor";
    EXPECT_TRUE(fontsLoaded);
    EXPECT_FALSE(fontsAtShow) << "the window waited for the fonts before it was shown";
    ASSERT_TRUE(fontsAtFirstPicture.has_value()) << "nothing was drawn";
    EXPECT_TRUE(*fontsAtFirstPicture) << "text was drawn before the fonts were in";
}
