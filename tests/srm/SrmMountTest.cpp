// The tool never leaves the file system (and the mount) of what it was given: another file system
// mounted inside a tree, a bind mount of a folder or of a single file, and a bind mount of "/" are
// all left alone and reported. The mounts live in a mount namespace of the test's own, and the one
// of "/" is read-only, so a fault here cannot reach the machine. Needs root and loop devices.
#include "FileHelpers.h"
#include "LoopImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

TEST(SrmMounts, MountPointsInsideATreeAreLeftAloneAndReportedWhileTheRestIsErased)
{
    const QString unavailable = LoopImage::unavailableReason();
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    QString error;
    if (!LoopImage::enterPrivateMountNamespace(error))
        GTEST_SKIP() << error.toStdString();

    QTemporaryDir dir;
    LoopImage disk(dir.path());
    if (!disk.mounted())
        GTEST_SKIP() << "loop-mounted ext4 not available: " << disk.error().toStdString();
    const QByteArray keep("must stay as it is");
    writeFile(disk.mountPoint() + QStringLiteral("/on-disk"), keep);

    const QString outside = dir.filePath(QStringLiteral("outside"));
    QDir().mkpath(outside);
    const QString outsideFile = writeFile(outside + QStringLiteral("/shown-elsewhere"), keep);
    const QString outsideSingle = writeFile(dir.filePath(QStringLiteral("single")), keep);

    const QString tree = dir.filePath(QStringLiteral("tree"));
    QDir().mkpath(tree + QStringLiteral("/sub"));
    writeFile(tree + QStringLiteral("/a"), "erase me");
    writeFile(tree + QStringLiteral("/sub/b"), "erase me");
    const QStringList mountPoints{tree + QStringLiteral("/sub/disk"), tree + QStringLiteral("/bind"),
                                  tree + QStringLiteral("/root"), tree + QStringLiteral("/file")};
    for (int i = 0; i < 3; ++i)
        QDir().mkpath(mountPoints[i]);
    writeFile(mountPoints[3], "placeholder");
    const QList<QStringList> mounts{{QStringLiteral("--move"), disk.mountPoint(), mountPoints[0]},
                                    {QStringLiteral("--bind"), outside, mountPoints[1]},
                                    {QStringLiteral("--bind"), QStringLiteral("/"), mountPoints[2]},
                                    {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), mountPoints[2]},
                                    {QStringLiteral("--bind"), outsideSingle, mountPoints[3]}};
    for (const QStringList &mount : mounts)
        ASSERT_TRUE(LoopImage::run(QStringLiteral("mount"), mount, &error)) << error.toStdString();

    QProcess tool;
    tool.start(QStringLiteral(NULLWELL_RESOURCES "/srm"), {QStringLiteral("-fsvrz"), tree});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QStringList errors =
        QString::fromLocal8Bit(tool.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(tool.exitCode(), 1);
    ASSERT_EQ(errors.size(), 4) << errors.join('\n').toStdString();
    for (const QString &mountPoint : mountPoints) {
        const QString reported = errors.filter(mountPoint + QStringLiteral(": ")).value(0);
        EXPECT_TRUE(reported.contains(QStringLiteral("mount point")) ||
                    reported.contains(QStringLiteral("root")))
            << mountPoint.toStdString() << ": " << reported.toStdString();
    }
    EXPECT_FALSE(existsNoFollow(tree + QStringLiteral("/a")));
    EXPECT_FALSE(existsNoFollow(tree + QStringLiteral("/sub/b")));
    EXPECT_EQ(readFile(mountPoints[0] + QStringLiteral("/on-disk")), keep);
    EXPECT_EQ(readFile(outsideFile), keep);
    EXPECT_EQ(readFile(outsideSingle), keep);

    // Given directly, a mount point is refused the same way.
    tool.start(QStringLiteral(NULLWELL_RESOURCES "/srm"),
               {QStringLiteral("-fsvrz"), mountPoints[0], mountPoints[3]});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(tool.readAllStandardError()).count(QStringLiteral("mount point")), 2);
    EXPECT_EQ(readFile(mountPoints[0] + QStringLiteral("/on-disk")), keep);
    EXPECT_EQ(readFile(outsideSingle), keep);

    for (const QString &mountPoint : mountPoints)
        LoopImage::run(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint});
}
