#include "FadingWindowController.h"

#include "ApplicationModal.h"
#include "TCImageWindow.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

namespace {

class TestController : public FadingWindowController
{
public:
    explicit TestController(bool modal) : m_modal(modal)
    {
        m_owned = std::make_unique<TCImageWindow>(QSize(300, 200));
        setWindow(m_owned.get());
    }
    int closes = 0;

protected:
    bool fadeOutStopsModal() const override { return m_modal; }
    void closeWindowAfterFade() override
    {
        ++closes;
        FadingWindowController::closeWindowAfterFade();
    }

private:
    bool m_modal;
    std::unique_ptr<TCImageWindow> m_owned;
};

} // namespace

TEST(FadingWindowController, HiddenWindowFadesInAndTheEndOfTheFadeInDoesNothing)
{
    TestController controller(false);
    controller.awakeFromNib();
    EXPECT_EQ(controller.window()->windowOpacity(), 0.0);
    controller.window()->show();
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.window()->windowOpacity() == 1.0; }));
    testsupport::waitUntil([] { return false; }, FadingWindowController::fadeDuration() / 2);
    EXPECT_EQ(controller.closes, 0);
    EXPECT_TRUE(controller.window()->isVisible());
}

TEST(FadingWindowController, VisibleWindowDoesNotFadeIn)
{
    TestController controller(false);
    controller.window()->show();
    controller.awakeFromNib();
    EXPECT_EQ(controller.window()->windowOpacity(), 1.0);
}

TEST(FadingWindowController, CloseRequestFadesOutThenClosesExactlyOnce)
{
    TestController controller(false);
    controller.window()->show();
    controller.awakeFromNib();
    QSignalSpy closed(&controller, &FadingWindowController::windowDidClose);
    EXPECT_FALSE(controller.windowShouldClose(controller.window()));
    EXPECT_TRUE(controller.window()->isVisible()) << "never closes at once";
    ASSERT_TRUE(testsupport::waitUntil([&] { return closed.count() == 1; }));
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(controller.closes, 1);
    controller.animationDidStop(true);
    EXPECT_EQ(controller.closes, 2) << "a further end at zero closes again, harmlessly";
}

TEST(FadingWindowController, ModalWindowsEndTheirLoopAtTheEndOfTheFade)
{
    TestController controller(true);
    controller.awakeFromNib();
    bool returned = false;
    QTimer::singleShot(0, [&] { controller.windowShouldClose(controller.window()); });
    ApplicationModal::runModalForWindow(controller.window());
    returned = true;
    EXPECT_TRUE(returned);
    EXPECT_EQ(controller.closes, 1);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST(FadingWindowController, TerminationIsCancelledOnceWhileTheWindowFades)
{
    TestController controller(false);
    controller.window()->show();
    controller.awakeFromNib();
    EXPECT_EQ(controller.applicationShouldTerminate(), 0);
    EXPECT_TRUE(controller.shuttingDown());
    EXPECT_EQ(controller.applicationShouldTerminate(), 1);
}
