// Where overwriting in place cannot reach the data, or writing is itself the harm, the tool leaves
// the file untouched and says why: copy-on-write btrfs, extents shared with a reflinked copy
// (XFS), an overlay's lower layer, a system file system. Marks (immutable, append-only) come off
// only the file about to be overwritten and go back on when its erase fails. Real file systems
// through loop images, in a mount namespace of the test's own; each skips where it cannot run.
#include "FileHelpers.h"
#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using testsupport::LoopImage;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString errors;
    QList<QByteArray> results; // batch mode's lines
};

// input, when given, is batch mode's list of records.
ToolRun runTool(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess tool;
    tool.start(QStringLiteral(NULLWELL_RESOURCES "/srm"), arguments);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished(60000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromLocal8Bit(tool.readAllStandardError()), tool.readAllStandardOutput().split('\n')};
}

// Skips the test unless a file system of the type can be made and mounted in a namespace of our own.
#define MOUNT_OR_SKIP(disk, dir, type, ...)                                                                  \
    const QString unavailable = LoopImage::unavailableReason(QStringLiteral(type));                          \
    if (!unavailable.isEmpty())                                                                              \
        GTEST_SKIP() << unavailable.toStdString();                                                           \
    QString namespaceError;                                                                                  \
    if (!LoopImage::enterPrivateMountNamespace(namespaceError))                                              \
        GTEST_SKIP() << namespaceError.toStdString();                                                        \
    LoopImage disk(dir.path(), QStringLiteral(type), __VA_ARGS__);                                           \
    if (!disk.mounted())                                                                                     \
        GTEST_SKIP() << type << " not available: " << disk.error().toStdString();

const QByteArray kContent(100000, 'S');

} // namespace

TEST(SrmStorage, OnBtrfsOnlyAFileWithoutCopyOnWriteIsErased)
{
    QTemporaryDir dir;
    MOUNT_OR_SKIP(disk, dir, "btrfs", {QStringLiteral("-q"), QStringLiteral("-f")});
    const QString plain = writeFile(disk.mountPoint() + QStringLiteral("/plain"), kContent);
    const QString noCow = disk.mountPoint() + QStringLiteral("/nocow");
    writeFile(noCow, QByteArray());
    ASSERT_TRUE(changeAttributes(noCow, QStringLiteral("+C"))); // only while it is still empty
    writeFile(noCow, kContent);

    ToolRun run = runTool({QStringLiteral("-fsvz"), plain, noCow});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(plain + QStringLiteral(": lies on btrfs without the no-copy-on-write")))
        << run.errors.toStdString();
    EXPECT_EQ(readFile(plain), kContent) << "refused untouched";
    EXPECT_FALSE(existsNoFollow(noCow)) << run.errors.toStdString();
}

TEST(SrmStorage, AFileSharingItsExtentsWithACopyIsLeftAloneAndACopyOfItsOwnIsErased)
{
    QTemporaryDir dir;
    MOUNT_OR_SKIP(disk, dir, "xfs", {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("-m"), QStringLiteral("reflink=1")});
    const QString original = writeFile(disk.mountPoint() + QStringLiteral("/original"), kContent);
    const QString copy = disk.mountPoint() + QStringLiteral("/copy");
    QString error;
    ASSERT_TRUE(LoopImage::run(QStringLiteral("cp"), {QStringLiteral("--reflink=always"), original, copy}, &error))
        << error.toStdString();
    const QString alone = writeFile(disk.mountPoint() + QStringLiteral("/alone"), kContent);
    ::sync();

    const ToolRun run = runTool({QStringLiteral("-fsvz"), copy, alone});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(copy + QStringLiteral(": shares its data with another file")))
        << run.errors.toStdString();
    EXPECT_EQ(readFile(copy), kContent);
    EXPECT_EQ(readFile(original), kContent);
    EXPECT_FALSE(existsNoFollow(alone)) << run.errors.toStdString();
}

TEST(SrmStorage, AFileOfAnOverlaysLowerLayerIsLeftAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount";
    QString error;
    if (!LoopImage::enterPrivateMountNamespace(error))
        GTEST_SKIP() << error.toStdString();
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("memory"));
    QDir().mkpath(base);
    if (!LoopImage::run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("tmpfs"), base}, &error))
        GTEST_SKIP() << error.toStdString();
    for (const char *sub : {"lower", "upper", "work", "merged"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    const QString lower = writeFile(base + QStringLiteral("/lower/file"), kContent);
    const QString before = writeFile(base + QStringLiteral("/before"), kContent);
    const QString after = writeFile(base + QStringLiteral("/after"), kContent);
    const QString merged = base + QStringLiteral("/merged");
    if (!LoopImage::run(QStringLiteral("mount"),
                        {QStringLiteral("-t"), QStringLiteral("overlay"), QStringLiteral("overlay"), QStringLiteral("-o"),
                         QStringLiteral("lowerdir=%1/lower,upperdir=%1/upper,workdir=%1/work").arg(base), merged},
                        &error)) {
        LoopImage::run(QStringLiteral("umount"), {base});
        GTEST_SKIP() << "no overlay here: " << error.toStdString();
    }

    // In one run with files of the file system below it: each file is judged by its own mount,
    // whatever the files before it were found on.
    const ToolRun run = runTool({QStringLiteral("-fsvz"), before, merged + QStringLiteral("/file"), after});
    LoopImage::run(QStringLiteral("umount"), {merged});
    const QByteArray left = readFile(lower);
    const bool othersErased = !existsNoFollow(before) && !existsNoFollow(after);
    LoopImage::run(QStringLiteral("umount"), {base});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(merged + QStringLiteral("/file: lies on an overlay")))
        << run.errors.toStdString();
    EXPECT_EQ(left, kContent);
    EXPECT_TRUE(othersErased) << run.errors.toStdString();
}

TEST(SrmStorage, NothingOnASystemFileSystemIsOpenedForWriting)
{
    // Read-only attributes only: were the guard broken, the kernel would still refuse the write.
    QString attribute;
    for (const char *candidate : {"/sys/kernel/mm/transparent_hugepage/hpage_pmd_size", "/sys/kernel/profiling",
                                  "/sys/devices/system/cpu/possible", "/sys/kernel/address_bits"})
        if (QFileInfo(QString::fromLatin1(candidate)).isFile() &&
            !(QFileInfo(QString::fromLatin1(candidate)).permissions() & QFile::WriteOwner)) {
            attribute = QString::fromLatin1(candidate);
            break;
        }
    if (attribute.isEmpty())
        GTEST_SKIP() << "no read-only sysfs attribute found";
    const QByteArray before = readFile(attribute);
    const ToolRun run = runTool({QStringLiteral("-svz"), attribute});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(attribute + QStringLiteral(": lies on a system file system (sysfs)")))
        << run.errors.toStdString();
    EXPECT_EQ(readFile(attribute), before);

    // Listed to the batch mode after a file of another file system, which the run judged first.
    QTemporaryDir dir;
    const QString plain = writeFile(dir.filePath(QStringLiteral("plain")));
    const ToolRun batch =
        runTool({QStringLiteral("-fsvz"), QStringLiteral("--batch")},
                listed(QFile::encodeName(plain)) + '\0' + listed(QFile::encodeName(attribute)) + '\0');
    EXPECT_EQ(batch.exitCode, 1);
    ASSERT_GE(batch.results.size(), 2);
    EXPECT_EQ(batch.results[0], "0 ok");
    EXPECT_TRUE(batch.results[1].startsWith("1 fail lies on a system file system (sysfs)"))
        << batch.results[1].constData();
    EXPECT_EQ(readFile(attribute), before);

    // Links and folders there are not removed either (a link to a device, a cgroup's folder).
    const QString link = QStringLiteral("/sys/class/net/lo");
    if (!QFileInfo(link).isSymLink())
        return;
    const ToolRun linkRun = runTool({QStringLiteral("-rfsvz"), link});
    EXPECT_EQ(linkRun.exitCode, 1);
    EXPECT_TRUE(linkRun.errors.contains(link + QStringLiteral(": lies on a system file system (sysfs)")))
        << linkRun.errors.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST(SrmStorage, MarksComeOffOnlyTheFileBeingErasedAndGoBackWhenItFails)
{
    QTemporaryDir dir;
    MOUNT_OR_SKIP(disk, dir, "ext4", {QStringLiteral("-q"), QStringLiteral("-F")});
    const QString both = writeFile(disk.mountPoint() + QStringLiteral("/both"), kContent);
    ASSERT_TRUE(changeAttributes(both, QStringLiteral("+ia")));
    ToolRun run = runTool({QStringLiteral("-fsvz"), both});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(existsNoFollow(both));

    // The folder is immutable, so the file cannot be removed: its marks must come back.
    const QString folder = disk.mountPoint() + QStringLiteral("/held");
    QDir().mkpath(folder);
    const QString kept = writeFile(folder + QStringLiteral("/kept"), kContent);
    ASSERT_TRUE(changeAttributes(kept, QStringLiteral("+ia")));
    ASSERT_TRUE(changeAttributes(folder, QStringLiteral("+i")));
    run = runTool({QStringLiteral("-fsvz"), kept});
    const QString marks = attributesOf(kept);
    changeAttributes(folder, QStringLiteral("-i"));
    changeAttributes(kept, QStringLiteral("-ia"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("overwritten but cannot be removed"))) << run.errors.toStdString();
    EXPECT_TRUE(marks.contains(QLatin1Char('i')) && marks.contains(QLatin1Char('a'))) << marks.toStdString();

    // A file bound in from outside with the mark keeps it: the mount is refused first.
    const QString outside = writeFile(dir.filePath(QStringLiteral("outside")), "outside");
    const QString tree = disk.mountPoint() + QStringLiteral("/tree");
    QDir().mkpath(tree);
    const QString bound = writeFile(tree + QStringLiteral("/bound"), "placeholder");
    if (!changeAttributes(outside, QStringLiteral("+i")))
        GTEST_SKIP() << "the temporary folder's file system has no immutable mark";
    QString error;
    ASSERT_TRUE(LoopImage::run(QStringLiteral("mount"), {QStringLiteral("--bind"), outside, bound}, &error))
        << error.toStdString();
    run = runTool({QStringLiteral("-fsvrz"), tree});
    LoopImage::run(QStringLiteral("umount"), {bound});
    const QString outsideMarks = attributesOf(outside);
    changeAttributes(outside, QStringLiteral("-i"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("mount point"))) << run.errors.toStdString();
    EXPECT_TRUE(outsideMarks.contains(QLatin1Char('i'))) << outsideMarks.toStdString();
    EXPECT_EQ(readFile(outside), "outside");
}
