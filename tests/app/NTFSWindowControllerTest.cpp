#include "NTFSWindowController.h"

#include "ApplicationModal.h"
#include "DialogTestSupport.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"

#include "MainWindowController.h"
#include "NTFSVolume.h"
#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

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

    // Tab reaches the link and Space opens it.
    controller.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.window()));
    controller.window()->activateWindow();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : controller.window(), Qt::Key_Tab);
    EXPECT_TRUE(controller.linkButton()->hasFocus());
    QTest::keyClick(controller.linkButton(), Qt::Key_Space);
    EXPECT_EQ(workspace.urls.size(), 2);
    controller.window()->close();
}

TEST(NTFSWindowController, TheNoticeSaysReadOnlyOnlyForAReadOnlyMount)
{
    dialogtest::DialogBundle bundle;
    NTFSWindowController controller;
    controller.window();
    EXPECT_FALSE(controller.explanationText().contains(QStringLiteral("read-only")));
    controller.setVolumeReadOnly(true);
    EXPECT_TRUE(controller.explanationText().contains(QStringLiteral("read-only on this computer")));
    const QList<QLabel *> labels = controller.window()->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                            [&](QLabel *label) { return label->text() == controller.explanationText(); }));
}

// The rule on the mounts themselves: the kernel's drivers name NTFS, ntfs-3g shows "fuseblk" and
// its block device decides, and the read-only flag is the mount's.
TEST(NTFSVolume, TheRuleFollowsWhatTheMountReallyIs)
{
    EXPECT_TRUE(NTFSVolume::isNTFS({QStringLiteral("ntfs3"), QString(), false}));
    EXPECT_TRUE(NTFSVolume::isNTFS({QStringLiteral("fuse.ntfs-3g"), QString(), false}));
    EXPECT_FALSE(NTFSVolume::isNTFS({QStringLiteral("fuseblk"), QString(), false}));
    EXPECT_FALSE(NTFSVolume::isNTFS({QStringLiteral("fuseblk"), QStringLiteral("/dev/null"), false}))
        << "not a block device";
    EXPECT_FALSE(NTFSVolume::isNTFS({QStringLiteral("ext4"), QStringLiteral("/dev/loop0"), false}));

    const QString unavailable = testsupport::LoopImage::unavailableReason();
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    const QString mkntfs = QStandardPaths::findExecutable(QStringLiteral("mkntfs"), {QStringLiteral("/usr/sbin"),
                                                                                     QStringLiteral("/sbin")});
    const QString ntfs3g = QStandardPaths::findExecutable(QStringLiteral("ntfs-3g"));
    if (mkntfs.isEmpty() || ntfs3g.isEmpty())
        GTEST_SKIP() << "ntfs-3g is not installed (Debian package ntfs-3g)";
    if (!QFile::exists(QStringLiteral("/dev/fuse")))
        GTEST_SKIP() << "no FUSE here (/dev/fuse is missing)";
    QString error;
    ASSERT_TRUE(testsupport::LoopImage::enterPrivateMountNamespace(error)) << error.toStdString();

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("ntfs.img"));
    const QString mount = dir.filePath(QStringLiteral("mnt"));
    QDir().mkpath(mount);
    {
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(16 * 1024 * 1024));
    }
    ASSERT_TRUE(testsupport::LoopImage::run(mkntfs, {QStringLiteral("-F"), QStringLiteral("-Q"),
                                                     QStringLiteral("-q"), image}, &error))
        << error.toStdString();
    QProcess losetup;
    losetup.start(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image});
    ASSERT_TRUE(losetup.waitForFinished(30000) && losetup.exitCode() == 0);
    const QString device = QString::fromLocal8Bit(losetup.readAllStandardOutput()).trimmed();
    const auto detach = qScopeGuard([&] { testsupport::LoopImage::run(QStringLiteral("losetup"), {QStringLiteral("-d"), device}); });
    EXPECT_TRUE(NTFSVolume::deviceHoldsNTFS(device));

    for (const bool readOnly : {false, true}) {
        QStringList arguments{device, mount};
        if (readOnly)
            arguments << QStringLiteral("-o") << QStringLiteral("ro");
        if (!testsupport::LoopImage::run(ntfs3g, arguments, &error))
            GTEST_SKIP() << "ntfs-3g cannot mount here: " << error.toStdString();
        const NTFSVolume::Mount found = NTFSVolume::mountOf(mount);
        EXPECT_EQ(found.type, QStringLiteral("fuseblk"));
        EXPECT_EQ(found.device, device);
        EXPECT_EQ(found.readOnly, readOnly);
        EXPECT_TRUE(NTFSVolume::isNTFS(found));
        const std::optional<NTFSVolume::Mount> refused = MainWindowController::ntfsVolumeForPath(mount);
        ASSERT_TRUE(refused.has_value());
        EXPECT_EQ(refused->readOnly, readOnly);
        ASSERT_TRUE(testsupport::LoopImage::run(QStringLiteral("umount"), {mount}, &error)) << error.toStdString();
    }

    // An ext4 volume, seen through the same rule, is not NTFS.
    testsupport::LoopImage ext4(dir.path());
    ASSERT_TRUE(ext4.mounted()) << ext4.error().toStdString();
    EXPECT_FALSE(MainWindowController::ntfsVolumeForPath(ext4.mountPoint()).has_value());
    EXPECT_FALSE(NTFSVolume::deviceHoldsNTFS(NTFSVolume::mountOf(ext4.mountPoint()).device));
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
