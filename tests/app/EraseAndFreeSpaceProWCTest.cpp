#include "EraseAndFreeSpaceProWC.h"

#include "RunWindowTestSupport.h"
#include "EraseAndFreeSpaceProWCDelegate.h"
#include "FreeSucceeWindowController.h"
#include "NSProgressBar.h"
#include "SystemEraserWindowController.h"
#include "TCImageWindow.h"

#include <QLabel>

namespace {

const QString kFreeQuestion = QStringLiteral(
    "Wipe the free disk space of selected hard drive/device to permanently erase deleted/lost data and traces. "
    "Do you want to continue?");
const QString kDriveQuestion = QStringLiteral(
    "All the existing data and history data on the selected hard drive/device will be permanently erased. "
    "Do you want to continue?");

struct RecordingDelegate : EraseAndFreeSpaceProWCDelegate
{
    void doEraserButtonClick() override
    {
        calls << QStringLiteral("doEraserButtonClick");
        if (onContinue)
            onContinue();
    }
    void cancelEraserButtonAction() override { calls << QStringLiteral("cancelEraserButtonAction"); }
    QStringList calls;
    std::function<void()> onContinue;
};

class EraseAndFreeSpaceProWCTest : public ::testing::Test
{
protected:
    dialogs::ModalRecorder modal;
    RecordingDelegate delegate;
};

} // namespace

TEST_F(EraseAndFreeSpaceProWCTest, KindOfWipeChoosesQuestionAndSuccessMessage)
{
    struct Case
    {
        int kind;
        QString question;
        QString success;
    };
    const Case cases[] = {
        {0, kFreeQuestion,
         QStringLiteral("You have successfully wiped free disk space of the selected hard drive/device.")},
        {1, kDriveQuestion, QStringLiteral("You have successfully wiped the selected hard drive/device.")},
        {-4, kDriveQuestion, QStringLiteral("You have successfully wiped the selected hard drive/device.")},
    };
    for (const Case &c : cases) {
        EraseAndFreeSpaceProWC controller;
        controller.showMessageWithStrWith(c.kind);
        EXPECT_EQ(controller.selectType(), c.kind);
        EXPECT_EQ(controller.nodeMessageLable()->text(), c.question) << c.kind;
        controller.beginToEraser();
        controller.showSeccView();
        EXPECT_EQ(controller.successfulMessageLable()->text(), c.success) << c.kind;
        EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("Ostrivan Nullwell"));
    }
}

TEST_F(EraseAndFreeSpaceProWCTest, ContinueShowsASpinningProgressPaneAtZeroUntilTheFirstReport)
{
    EraseAndFreeSpaceProWC controller;
    controller.setDelegate(&delegate);
    bool spinningWhenAsked = false;
    delegate.onContinue = [&] {
        spinningWhenAsked = controller.loadProgressInd()->isAnimating() &&
                            dialogs::shown(controller.loadProgressInd()) &&
                            dialogs::shown(controller.progressBlowView());
    };
    EXPECT_FALSE(controller.loadProgressInd()->isAnimating());
    controller.runModal();
    dialogs::click(controller.yesButton());

    EXPECT_EQ(delegate.calls, QStringList{QStringLiteral("doEraserButtonClick")});
    EXPECT_TRUE(spinningWhenAsked);
    EXPECT_FALSE(dialogs::shown(controller.makeSureView()));
    EXPECT_EQ(controller.progressView()->bar()->barWidth(), 0.0f);

    controller.changeProgressValue(20, QStringLiteral("Overwriting free space (pass 1 of 3)"));
    EXPECT_FALSE(controller.loadProgressInd()->isAnimating());
    EXPECT_FALSE(dialogs::shown(controller.loadProgressInd()));
    EXPECT_EQ(controller.pathLabel()->text(), QStringLiteral("Overwriting free space (pass 1 of 3)"));
    EXPECT_FLOAT_EQ(controller.progressView()->bar()->barWidth(), 0.2f * controller.progressView()->width());
}

TEST_F(EraseAndFreeSpaceProWCTest, TheBarFillsItsTrackInStepWithThePercentAndStaysInsideTheWindow)
{
    EraseAndFreeSpaceProWC controller;
    controller.beginToEraser();
    controller.changeProgressValue(50, QStringLiteral("half"));
    EXPECT_FLOAT_EQ(controller.progressView()->bar()->barWidth(), 210.0f);
    controller.changeProgressValue(95, QStringLiteral("almost"));
    EXPECT_LT(controller.progressView()->bar()->barWidth(), 420.0f);
    controller.changeProgressValue(100, QStringLiteral("done"));
    const QRect bar = controller.progressView()->bar()->geometry().translated(controller.progressView()->pos());
    EXPECT_LE(bar.right(), 440);
    EXPECT_LE(controller.progressView()->geometry().right(), controller.window()->width());
}

TEST_F(EraseAndFreeSpaceProWCTest, StopRestartsTheSpinnerUntilTheNextReportAndTellsTheDelegateOnce)
{
    EraseAndFreeSpaceProWC controller;
    controller.setDelegate(&delegate);
    controller.runModal();
    dialogs::click(controller.yesButton());
    controller.changeProgressValue(40, QStringLiteral("step"));
    dialogs::click(controller.stopButton());
    dialogs::click(controller.stopButton());

    EXPECT_EQ(delegate.calls,
              (QStringList{QStringLiteral("doEraserButtonClick"), QStringLiteral("cancelEraserButtonAction")}));
    EXPECT_TRUE(controller.loadProgressInd()->isAnimating());
    EXPECT_TRUE(dialogs::shown(controller.cancelNodeLabel()));
    EXPECT_FALSE(dialogs::shown(controller.shredNodeLabel()));
    EXPECT_FALSE(dialogs::shown(controller.pathLabel()));
    EXPECT_FALSE(controller.stopButton()->isEnabled());
    controller.changeProgressValue(45, QStringLiteral("step"));
    EXPECT_FALSE(controller.loadProgressInd()->isAnimating());

    controller.setStopButtonState(true);
    EXPECT_TRUE(controller.stopButton()->isEnabled());
}

TEST_F(EraseAndFreeSpaceProWCTest, ResultPanesLeaveTheConfirmPaneAloneAndOkCloses)
{
    EraseAndFreeSpaceProWC untouched;
    untouched.showFailViewWithStr(QStringLiteral("x"));
    EXPECT_TRUE(dialogs::shown(untouched.makeSureView()));

    EraseAndFreeSpaceProWC controller;
    controller.runModal();
    controller.beginToEraser();
    controller.showFailViewWithStr(QStringLiteral("The drive was removed."));
    EXPECT_EQ(controller.failMessageLable()->text(), QStringLiteral("The drive was removed."));
    EXPECT_TRUE(dialogs::shown(controller.failBlowView()));
    EXPECT_FALSE(dialogs::shown(controller.progressBlowView()));
    EXPECT_FALSE(dialogs::shown(controller.successBlowView()));
    EXPECT_FALSE(dialogs::shown(controller.makeSureView()));
    dialogs::click(controller.failOkButton());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(EraseAndFreeSpaceProWCTest, CancelAndASilentDelegateLeaveTheWindowWorking)
{
    EraseAndFreeSpaceProWC cancelled;
    cancelled.setDelegate(&delegate);
    cancelled.runModal();
    dialogs::click(cancelled.cancelButton());
    EXPECT_TRUE(delegate.calls.isEmpty());
    EXPECT_FALSE(ApplicationModal::isRunningModal());

    EraseAndFreeSpaceProWCDelegate silent;
    EraseAndFreeSpaceProWC controller;
    controller.setDelegate(&silent);
    controller.runModal();
    dialogs::click(controller.yesButton());
    EXPECT_TRUE(dialogs::shown(controller.progressBlowView()));
    dialogs::click(controller.stopButton());
    EXPECT_FALSE(controller.stopButton()->isEnabled());
    controller.showSeccView();
    dialogs::click(controller.successOkButton());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST_F(EraseAndFreeSpaceProWCTest, NoticesCloseByOkOrByTheCloseButton)
{
    for (bool byCloseButton : {false, true}) {
        SystemEraserWindowController system;
        FreeSucceeWindowController freed;
        EXPECT_EQ(system.window()->width(), 480);
        EXPECT_EQ(freed.window()->width(), 460);
        EXPECT_EQ(system.OkButton()->titleStr(), QStringLiteral("OK"));
        EXPECT_EQ(freed.OKButton()->titleFont().pixelSize(), 15);
        EXPECT_EQ(system.titleLabel()->text(), QStringLiteral("Ostrivan Nullwell"));

        system.runModal();
        freed.runModal();
        EXPECT_EQ(modal.runs, byCloseButton ? 4 : 2);
        // The notice opened last is dismissed first; each ends only its own loop.
        if (byCloseButton)
            freed.window()->standardWindowButton(TCImageWindow::CloseButton)->click();
        else
            dialogs::click(freed.OKButton());
        EXPECT_FALSE(freed.window()->isVisible());
        EXPECT_EQ(ApplicationModal::modalWindow(), system.window());
        if (byCloseButton)
            system.window()->standardWindowButton(TCImageWindow::CloseButton)->click();
        else
            dialogs::click(system.OkButton());
        EXPECT_FALSE(system.window()->isVisible());
        EXPECT_FALSE(ApplicationModal::isRunningModal());
    }
}

TEST_F(EraseAndFreeSpaceProWCTest, EveryPanePreview)
{
    dialogs::BuiltImages images;
    EraseAndFreeSpaceProWC controller;
    controller.window()->show();
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-confirm-free-space"));
    controller.showMessageWithStrWith(EraseAndFreeSpaceProWC::kWholeDrive);
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-confirm-drive"));
    controller.beginToEraser();
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-starting"));
    controller.changeProgressValue(63, QStringLiteral("Overwriting the drive (pass 2 of 3)"));
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-progress"));
    controller.stopButtonAction();
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-stopping"));
    controller.showSeccView();
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-success"));
    controller.showFailViewWithStr(QStringLiteral("The operation was canceled by the user."));
    dialogs::savePreview(controller.window(), QStringLiteral("wipe-failure"));
    controller.window()->close();

    SystemEraserWindowController system;
    system.window()->show();
    dialogs::savePreview(system.window(), QStringLiteral("notice-system-drive"));
    system.window()->close();
    FreeSucceeWindowController freed;
    freed.window()->show();
    dialogs::savePreview(freed.window(), QStringLiteral("notice-free-space-wiped"));
    freed.window()->close();
}

TEST_F(EraseAndFreeSpaceProWCTest, TheDesktopsCloseAndTheKeysAnswerEachPane)
{
    RecordingDelegate wipe;
    EraseAndFreeSpaceProWC controller;
    controller.setDelegate(&wipe);
    controller.runModal();
    dialogs::pressKey(controller.window(), Qt::Key_Return);
    dialogs::desktopClose(controller.window());
    EXPECT_TRUE(controller.window()->isVisible()) << "a wipe under way keeps its window";
    EXPECT_TRUE(ApplicationModal::isRunningModal());
    EXPECT_EQ(wipe.calls, (QStringList{QStringLiteral("doEraserButtonClick"),
                                       QStringLiteral("cancelEraserButtonAction")}));
    controller.showFailViewWithStr(QStringLiteral("The device went away."));
    dialogs::pressKey(controller.window(), Qt::Key_Escape);
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_FALSE(ApplicationModal::isRunningModal());

    SystemEraserWindowController notice;
    notice.runModal();
    dialogs::pressKey(notice.window(), Qt::Key_Return);
    EXPECT_FALSE(notice.window()->isVisible());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_TRUE(notice.window()->standardWindowButton(TCImageWindow::MinimizeButton)->isHidden());
}
