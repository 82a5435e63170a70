#include "NTFSWindowController.h"

#include "ApplicationModal.h"
#include "DialogTestSupport.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

TEST(NTFSWindowController, NoticeHasItsTallTitleBarAndYesEndsTheModalRun)
{
    dialogtest::DialogBundle bundle;
    NTFSWindowController controller;
    TCImageWindow *window = controller.window();
    EXPECT_EQ(window->titleBarHeight(), 39.0);
    EXPECT_EQ(window->width(), 475);
    EXPECT_EQ(controller.titleLabel()->text(), QStringLiteral("Ostrivan Nullwell"));
    ASSERT_NE(controller.yesButton(), nullptr);
    EXPECT_EQ(controller.yesButton()->titleStr(), QStringLiteral("YES"));

    bool clicked = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(ApplicationModal::isRunningModal());
        EXPECT_EQ(ApplicationModal::modalWindow(), window);
        QTest::mouseClick(controller.yesButton(), Qt::LeftButton);
        clicked = true;
    });
    controller.runModal(); // returns only once YES has ended the loop
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(window->isVisible());
}

TEST(NTFSWindowController, LinkOpensTheProductPageInTheBrowser)
{
    dialogtest::DialogBundle bundle;
    dialogtest::RecordingWorkspace workspace;
    NTFSWindowController controller;
    controller.window();
    controller.linkButton()->click();
    ASSERT_EQ(workspace.urls.size(), 1);
    EXPECT_EQ(workspace.urls.first(), NTFSWindowController::supportTeamLinkAddress());
    EXPECT_TRUE(QUrl(workspace.urls.first()).isValid());
}

TEST(NTFSWindowController, Preview)
{
    dialogtest::DialogBundle bundle;
    NTFSWindowController controller;
    dialogtest::savePreview(controller.window(), QStringLiteral("ntfs-notice"));
}

TEST(NTFSWindowController, TheCloseButtonReturnAndEscapeEachEndTheNoticesRun)
{
    dialogtest::DialogBundle bundle;
    const std::function<void(NTFSWindowController &)> answers[] = {
        [](NTFSWindowController &notice) {
            notice.window()->standardWindowButton(TCImageWindow::CloseButton)->click();
        },
        [](NTFSWindowController &notice) { QTest::keyClick(notice.window(), Qt::Key_Return); },
        [](NTFSWindowController &notice) { QTest::keyClick(notice.window(), Qt::Key_Escape); },
    };
    for (const auto &answer : answers) {
        NTFSWindowController controller;
        TCImageWindow *window = controller.window();
        EXPECT_TRUE(window->standardWindowButton(TCImageWindow::MinimizeButton)->isHidden());
        EXPECT_TRUE(window->standardWindowButton(TCImageWindow::ZoomButton)->isHidden());
        EXPECT_FALSE(window->isResizable());
        QTimer::singleShot(0, [&] { answer(controller); });
        controller.runModal(); // returns only once the answer has ended the loop
        EXPECT_FALSE(ApplicationModal::isRunningModal());
        EXPECT_FALSE(window->isVisible());
    }
}
