// The journal scrub on a real ext4 (journal on, 4 KiB blocks): how often it writes the journal home
// and clears it, and that a run lets go of the file systems it touched. Needs root and loop devices.
#include "JournalScrub.h"

#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

using testsupport::LoopImage;

int openFolder(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

TEST(JournalScrub, OneClearingPerTouchedFileSystemAndNothingHeldAfterTheRun)
{
    if (const QString why = LoopImage::unavailableReason(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    LoopImage image(folder.path());
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    QDir(image.mountPoint()).mkpath(QStringLiteral("a/b"));
    const int a = openFolder(image.mountPoint() + QStringLiteral("/a"));
    const int b = openFolder(image.mountPoint() + QStringLiteral("/a/b"));
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);

    srm::JournalScrub scrub;
    std::string reason;
    EXPECT_TRUE(scrub.settle(a, reason));
    EXPECT_EQ(scrub.checkpoints(), 0) << "nothing touched, nothing to write home";
    scrub.touch(a);
    scrub.touch(b);
    struct stat untouched
    {
    };
    ASSERT_EQ(::fstat(b, &untouched), 0);
    untouched.st_ino += 1000;
    EXPECT_TRUE(scrub.settle(a, reason, &untouched));
    EXPECT_EQ(scrub.checkpoints(), 0) << "only the touched folder's removal waits for the journal";
    EXPECT_TRUE(scrub.settle(a, reason));
    EXPECT_EQ(scrub.checkpoints(), 1);

    // A removed folder stays allocated until the end of the run, which then lets go of everything.
    ASSERT_TRUE(scrub.holdUntilHome(b));
    ::close(b);
    ASSERT_EQ(::rmdir(QFile::encodeName(image.mountPoint() + QStringLiteral("/a/b")).constData()), 0);
    ::close(a);
    EXPECT_FALSE(image.unmount()) << "the run still holds the file system";
    EXPECT_TRUE(scrub.finish());
    EXPECT_EQ(scrub.clearings(), 1) << "one clearing of the journal per run, however many touches";
    EXPECT_TRUE(image.unmount()) << "nothing of the run keeps the file system busy";
}

TEST(JournalScrub, ManyHeldObjectsWriteTheJournalHomeOnceInAWhileNotPerObject)
{
    if (const QString why = LoopImage::unavailableReason(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    LoopImage image(folder.path());
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    const int root = openFolder(image.mountPoint());
    ASSERT_GE(root, 0);
    srm::JournalScrub scrub;
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(scrub.holdUntilHome(root));
    EXPECT_EQ(scrub.checkpoints(), 1);
    EXPECT_TRUE(scrub.finish(false));
    EXPECT_EQ(scrub.clearings(), 0) << "a batch leaves the clearing to its caller";
    ::close(root);
    EXPECT_TRUE(image.unmount());
}
