// Putting removals off on XFS until its metadata is home: what a run leaves behind, and the guard
// that thaws the file system should the eraser die while it is frozen. Needs root and loop devices.
#include "XfsScrub.h"
#include "JournalScrub.h"

#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::LoopImage;

int openFolder(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

const QString kXfs = QStringLiteral("xfs");

} // namespace

TEST(XfsScrub, RemovalsWaitForTheEndOfTheRunWhichLeavesNoThrowawayBehind)
{
    if (const QString why = LoopImage::unavailableReason(kXfs); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    LoopImage image(folder.path(), kXfs, {QStringLiteral("-q"), QStringLiteral("-f")});
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    const QString root = image.mountPoint();
    QDir(root).mkpath(QStringLiteral("gone"));
    for (int i = 0; i < 60; ++i)
        QFile(root + QStringLiteral("/gone/file-with-a-longish-name-%1").arg(i)).open(QIODevice::WriteOnly);
    QFile(root + QStringLiteral("/stays")).open(QIODevice::WriteOnly);
    const int top = openFolder(root);
    const int gone = openFolder(root + QStringLiteral("/gone"));
    ASSERT_GE(top, 0);
    ASSERT_GE(gone, 0);
    struct stat goneInfo
    {
    };
    ASSERT_EQ(::fstat(gone, &goneInfo), 0);

    srm::JournalScrub scrub;
    scrub.setRemovalsDeferred(true);
    EXPECT_FALSE(scrub.deferFolderRemoval(top, "stays", goneInfo.st_ino)) << "not the folder examined";
    for (const QString &name : QDir(root + QStringLiteral("/gone")).entryList(QDir::Files))
        ASSERT_TRUE(scrub.deferRemoval(gone, goneInfo.st_dev, QFile::encodeName(name).toStdString()));
    ASSERT_TRUE(scrub.deferFolderRemoval(top, "gone", goneInfo.st_ino));
    ::close(gone);
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/gone"))) << "its name goes at once";
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
    EXPECT_EQ(scrub.checkpoints(), 0);

    EXPECT_TRUE(scrub.finish());
    EXPECT_EQ(scrub.checkpoints(), 1) << "one freeze per run";
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("stays")})
        << "the folder, its files and the throwaway names are all gone";
    ::close(top);
    EXPECT_TRUE(image.unmount()) << "nothing of the run keeps the file system busy";
}

TEST(XfsScrub, TheFileSystemIsThawedWhenTheEraserDiesWhileItIsFrozen)
{
    if (const QString why = LoopImage::unavailableReason(kXfs); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    LoopImage image(folder.path(), kXfs, {QStringLiteral("-q"), QStringLiteral("-f")});
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    const int fd = openFolder(image.mountPoint());
    ASSERT_GE(fd, 0);

    // The watchdog leaves the eraser's session; as the subreaper, this process still waits for it.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const pid_t eraser = ::fork();
    ASSERT_GE(eraser, 0);
    if (eraser == 0) {
        srm::XfsScrub::setFrozenHook([] { ::_exit(7); });
        srm::XfsScrub::writeHome(fd);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(eraser, &status, 0), eraser);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7) << "it died while the file system was frozen";
    while (::waitpid(-1, nullptr, 0) > 0) {
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    // Frozen still, the file system would refuse a second freeze.
    const bool thawed = ::ioctl(fd, FIFREEZE, 0) == 0;
    ::ioctl(fd, FITHAW, 0);
    EXPECT_TRUE(thawed);

    // Alive, the eraser thaws it itself, and the watchdog leaves it alone.
    EXPECT_TRUE(srm::XfsScrub::writeHome(fd));
    EXPECT_TRUE(::ioctl(fd, FIFREEZE, 0) == 0 && ::ioctl(fd, FITHAW, 0) == 0);
    ::close(fd);
    EXPECT_TRUE(image.unmount());
}
