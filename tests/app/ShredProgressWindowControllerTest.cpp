#include "ShredProgressWindowController.h"

#include "RunWindowTestSupport.h"
#include "ShredProgressWindowControllerDelegate.h"
#include "TCImageWindow.h"
#include "VQProgressView.h"
#include "NSProgressBar.h"

#include <QLabel>
#include <functional>

namespace {

struct RecordingDelegate : ShredProgressWindowControllerDelegate
{
    void doDeleteButtonClick() override
    {
        calls << QStringLiteral("doDeleteButtonClick");
        if (onDelete)
            onDelete();
    }
    void cancelShred() override { calls << QStringLiteral("cancelShred"); }
    void viewLog() override
    {
        calls << QStringLiteral("viewLog");
        if (onViewLog)
            onViewLog();
    }
    QStringList calls;
    std::function<void()> onDelete;
    std::function<void()> onViewLog;
};

// Percent the bar shows, from its drawn width over the 420-point track.
float barPercent(const ShredProgressWindowController &controller)
{
    return controller.progressView()->bar()->barWidth() / 420.0f * 100.0f;
}

class ShredProgressWindowControllerTest : public ::testing::Test
{
protected:
    void SetUp() override { dialogs::clearEraserTimes(); }
    void TearDown() override { dialogs::clearEraserTimes(); }

    dialogs::ModalRecorder modal;
    RecordingDelegate delegate;
};

} // namespace

TEST_F(ShredProgressWindowControllerTest, OpensOnTheConfirmPaneWithTheStoredMethodAndDressedTitleBar)
{
    dialogs::storeEraserTimes(7);
    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    controller.runModal();

    EXPECT_EQ(modal.runs, 1);
    EXPECT_EQ(modal.lastWindow, controller.window());
    EXPECT_TRUE(dialogs::shown(controller.makeSureView()));
    EXPECT_FALSE(dialogs::shown(controller.progressBlowView()));
    EXPECT_FALSE(dialogs::shown(controller.successBlowView()));
    EXPECT_FALSE(dialogs::shown(controller.failBlowView()));
    EXPECT_EQ(controller.eraserType()->text(), QStringLiteral("DoD 5220.22-M ECE"));
    EXPECT_EQ(controller.window()->titleBarHeight(), 22.0);
    EXPECT_EQ(controller.window()->width(), 460);
    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("Ostrivan Nullwell"));
    EXPECT_EQ(controller.titleLabel()->palette().color(QPalette::WindowText), QColor(74, 74, 74));
    EXPECT_EQ(controller.yesButton()->titleStr(), QStringLiteral("Erase Now"));
    EXPECT_EQ(controller.cancelButton()->titleStr(), QStringLiteral("Cancel"));
}

TEST_F(ShredProgressWindowControllerTest, CancelClosesTheWindowAndTellsNobody)
{
    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    controller.runModal();
    dialogs::click(controller.cancelButton());

    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_TRUE(delegate.calls.isEmpty());
}

TEST_F(ShredProgressWindowControllerTest, EraseNowShowsTheProgressPaneAtTenBeforeTheRunStarts)
{
    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    bool progressShownWhenAsked = false;
    float percentWhenAsked = -1;
    delegate.onDelete = [&] {
        progressShownWhenAsked = dialogs::shown(controller.progressBlowView()) &&
                                 !dialogs::shown(controller.makeSureView());
        percentWhenAsked = barPercent(controller);
    };
    controller.runModal();
    dialogs::click(controller.yesButton());

    EXPECT_EQ(delegate.calls, QStringList{QStringLiteral("doDeleteButtonClick")});
    EXPECT_TRUE(progressShownWhenAsked);
    EXPECT_FLOAT_EQ(percentWhenAsked, 10.0f);
    EXPECT_TRUE(dialogs::shown(controller.shredNodeLabel()));
    EXPECT_TRUE(dialogs::shown(controller.pathLabel()));
    EXPECT_FALSE(dialogs::shown(controller.cancelNodeLabel()));
    EXPECT_TRUE(controller.stopButton()->isEnabled());
    EXPECT_TRUE(ApplicationModal::isRunningModal());
}

TEST_F(ShredProgressWindowControllerTest, ProgressReportsMoveTheBarAndNameTheItem)
{
    ShredProgressWindowController controller;
    controller.beginToDelete();

    // A run of several items starts from 0, below the 10 shown while it was being set up.
    controller.changeProgressValue(0, QStringLiteral("/home/ada/a.txt"));
    EXPECT_FLOAT_EQ(barPercent(controller), 0.0f);
    EXPECT_EQ(controller.pathLabel()->text(), QStringLiteral("/home/ada/a.txt"));
    controller.changeProgressValue(30, QStringLiteral("/home/ada/b.txt"));
    EXPECT_FLOAT_EQ(barPercent(controller), 30.0f);

    // A path wider than the label keeps its file name in view and stays whole in the tooltip.
    const QString deep = QStringLiteral("/home/ada/") + QString(300, QLatin1Char('d')) + QStringLiteral("/report.pdf");
    controller.changeProgressValue(95, deep);
    EXPECT_EQ(controller.pathText(), deep);
    EXPECT_EQ(controller.pathLabel()->toolTip(), deep);
    EXPECT_TRUE(controller.pathLabel()->text().endsWith(QStringLiteral("report.pdf")));
    EXPECT_LE(controller.pathLabel()->fontMetrics().horizontalAdvance(controller.pathLabel()->text()),
              controller.pathLabel()->width());
}

TEST_F(ShredProgressWindowControllerTest, StopSwitchesToTheCancelLabelDisablesItselfAndTellsTheDelegateOnce)
{
    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    controller.runModal();
    dialogs::click(controller.yesButton());
    dialogs::click(controller.stopButton());
    dialogs::click(controller.stopButton());

    EXPECT_EQ(delegate.calls, (QStringList{QStringLiteral("doDeleteButtonClick"), QStringLiteral("cancelShred")}));
    EXPECT_FALSE(controller.stopButton()->isEnabled());
    EXPECT_TRUE(dialogs::shown(controller.cancelNodeLabel()));
    EXPECT_FALSE(dialogs::shown(controller.shredNodeLabel()));
    EXPECT_FALSE(dialogs::shown(controller.pathLabel()));
    // The run goes on in the modal loop until the opener ends it.
    EXPECT_TRUE(ApplicationModal::isRunningModal());
}

TEST_F(ShredProgressWindowControllerTest, ResultPanesReplaceTheProgressPaneAndOkCloses)
{
    for (bool success : {true, false}) {
        ShredProgressWindowController controller;
        controller.setDelegate(&delegate);
        controller.runModal();
        controller.beginToDelete();
        controller.changeProgressValue(80, QStringLiteral("/tmp/x"));
        if (success) {
            controller.showSeccView();
        } else {
            controller.failedNodeLable()->setText(QStringLiteral("The operation was canceled by the user."));
            controller.showFailView();
        }
        EXPECT_FALSE(dialogs::shown(controller.makeSureView()));
        EXPECT_FALSE(dialogs::shown(controller.progressBlowView()));
        EXPECT_EQ(dialogs::shown(controller.successBlowView()), success);
        EXPECT_EQ(dialogs::shown(controller.failBlowView()), !success);

        dialogs::click(success ? controller.successOkButton() : controller.failOkButton());
        EXPECT_FALSE(ApplicationModal::isRunningModal());
        EXPECT_FALSE(controller.window()->isVisible());
    }
    EXPECT_EQ(delegate.calls, (QStringList{QStringLiteral("doDeleteButtonClick"), QStringLiteral("doDeleteButtonClick")}));
}

TEST_F(ShredProgressWindowControllerTest, ResultPanesLeaveTheConfirmPaneAlone)
{
    ShredProgressWindowController controller;
    controller.showSeccView();
    EXPECT_TRUE(dialogs::shown(controller.makeSureView()));
    controller.showFailView();
    EXPECT_TRUE(dialogs::shown(controller.makeSureView()));
    EXPECT_FALSE(dialogs::shown(controller.successBlowView()));
}

TEST_F(ShredProgressWindowControllerTest, ViewLogClosesTheWindowBeforeTheDelegateHears)
{
    for (bool fromSuccess : {true, false}) {
        RecordingDelegate logDelegate;
        ShredProgressWindowController controller;
        controller.setDelegate(&logDelegate);
        bool modalWhenAsked = true;
        bool visibleWhenAsked = true;
        logDelegate.onViewLog = [&] {
            modalWhenAsked = ApplicationModal::isRunningModal();
            visibleWhenAsked = controller.window()->isVisible();
        };
        controller.runModal();
        controller.beginToDelete();
        fromSuccess ? controller.showSeccView() : controller.showFailView();
        dialogs::click(fromSuccess ? controller.successViewLogButton() : controller.failViewLogButton());

        EXPECT_EQ(logDelegate.calls.count(QStringLiteral("viewLog")), 1);
        EXPECT_FALSE(modalWhenAsked);
        EXPECT_FALSE(visibleWhenAsked);
    }
}

TEST_F(ShredProgressWindowControllerTest, WorksWithADelegateThatImplementsNothingOrNone)
{
    ShredProgressWindowControllerDelegate silent;
    for (ShredProgressWindowControllerDelegate *chosen : {&silent, static_cast<ShredProgressWindowControllerDelegate *>(nullptr)}) {
        ShredProgressWindowController controller;
        controller.setDelegate(chosen);
        controller.runModal();
        dialogs::click(controller.yesButton());
        EXPECT_TRUE(dialogs::shown(controller.progressBlowView()));
        dialogs::click(controller.stopButton());
        EXPECT_FALSE(controller.stopButton()->isEnabled());
        EXPECT_TRUE(dialogs::shown(controller.cancelNodeLabel()));
        controller.showFailView();
        dialogs::click(controller.failViewLogButton());
        EXPECT_FALSE(ApplicationModal::isRunningModal());
        EXPECT_FALSE(controller.window()->isVisible());
    }
}

TEST_F(ShredProgressWindowControllerTest, TitleBarButtonsCannotLeaveTheModalLoopBehind)
{
    ShredProgressWindowController controller;
    for (int type = 0; type <= 2; ++type)
        EXPECT_TRUE(controller.window()->standardWindowButton(type)->isHidden()) << type;
}

TEST_F(ShredProgressWindowControllerTest, EveryPanePreview)
{
    dialogs::BuiltImages images;
    dialogs::storeEraserTimes(35);
    ShredProgressWindowController controller;
    controller.window()->show();
    dialogs::savePreview(controller.window(), QStringLiteral("erase-confirm"));
    controller.beginToDelete();
    controller.changeProgressValue(42, QStringLiteral("/home/ada/Documents/Taxes 2025/statement-march.pdf"));
    dialogs::savePreview(controller.window(), QStringLiteral("erase-progress"));
    controller.stopButtonAction();
    dialogs::savePreview(controller.window(), QStringLiteral("erase-stopping"));
    controller.showSeccView();
    dialogs::savePreview(controller.window(), QStringLiteral("erase-success"));
    controller.failedNodeLable()->setText(QStringLiteral("The operation was canceled by the user."));
    controller.showFailView();
    dialogs::savePreview(controller.window(), QStringLiteral("erase-failure"));
    controller.window()->close();
}

TEST_F(ShredProgressWindowControllerTest, TheDesktopsClosePressesThePanesButtonAndNeverLeavesARunBehind)
{
    // Confirm pane: Cancel, nobody told.
    {
        ShredProgressWindowController controller;
        controller.setDelegate(&delegate);
        controller.runModal();
        dialogs::desktopClose(controller.window());
        EXPECT_FALSE(ApplicationModal::isRunningModal());
        EXPECT_FALSE(controller.window()->isVisible());
        EXPECT_TRUE(delegate.calls.isEmpty());
    }
    // Running: Stop, and the window stays to show the run's end; asked again, it still stays.
    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    controller.runModal();
    dialogs::click(controller.yesButton());
    dialogs::desktopClose(controller.window());
    dialogs::desktopClose(controller.window());
    EXPECT_EQ(delegate.calls,
              (QStringList{QStringLiteral("doDeleteButtonClick"), QStringLiteral("cancelShred")}));
    EXPECT_TRUE(controller.window()->isVisible());
    EXPECT_TRUE(ApplicationModal::isRunningModal());
    EXPECT_TRUE(dialogs::shown(controller.cancelNodeLabel()));
    // Result pane: OK.
    controller.showFailView();
    dialogs::desktopClose(controller.window());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_FALSE(delegate.calls.contains(QStringLiteral("viewLog")));
}

TEST_F(ShredProgressWindowControllerTest, ReturnAndEscapeAnswerEachPane)
{
    ShredProgressWindowController cancelled;
    cancelled.setDelegate(&delegate);
    cancelled.runModal();
    dialogs::pressKey(cancelled.window(), Qt::Key_Escape);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_TRUE(delegate.calls.isEmpty());

    ShredProgressWindowController controller;
    controller.setDelegate(&delegate);
    controller.runModal();
    dialogs::pressKey(controller.window(), Qt::Key_Return);
    EXPECT_EQ(delegate.calls, QStringList{QStringLiteral("doDeleteButtonClick")});
    // While the run goes on Return does nothing; Escape stops it.
    dialogs::pressKey(controller.window(), Qt::Key_Return);
    EXPECT_EQ(delegate.calls.size(), 1);
    dialogs::pressKey(controller.window(), Qt::Key_Escape);
    EXPECT_EQ(delegate.calls.last(), QStringLiteral("cancelShred"));
    controller.showSeccView();
    dialogs::pressKey(controller.window(), Qt::Key_Return);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(delegate.calls.size(), 2);
}
