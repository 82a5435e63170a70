#include "NSFileManagerUtils.h"
#include "SolidStateCache.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A fake sysfs: devices under devices/, their numbers linked from dev/block/ as the kernel does.
class FakeSysfs : public ::testing::Test
{
protected:
    void SetUp() override { NSFileManagerUtils::setSysfsRoot(m_root.path()); }
    void TearDown() override { NSFileManagerUtils::setSysfsRoot(QString()); }

    QString device(const QString &relative, const char *rotational = nullptr)
    {
        const QString path = m_root.filePath(QStringLiteral("devices/") + relative);
        QDir().mkpath(path);
        if (rotational) {
            QDir().mkpath(path + QStringLiteral("/queue"));
            write(path + QStringLiteral("/queue/rotational"), QByteArray(rotational) + "\n");
        }
        return path;
    }
    QString partition(const QString &relative)
    {
        const QString path = device(relative);
        write(path + QStringLiteral("/partition"), "1\n");
        return path;
    }
    void number(const QString &devicePath, unsigned major, unsigned minor)
    {
        QDir().mkpath(m_root.filePath(QStringLiteral("dev/block")));
        const QString link = m_root.filePath(QStringLiteral("dev/block/%1:%2").arg(major).arg(minor));
        QFile::link(QDir(m_root.filePath(QStringLiteral("dev/block"))).relativeFilePath(devicePath), link);
    }
    void slave(const QString &holder, const QString &member)
    {
        QDir().mkpath(holder + QStringLiteral("/slaves"));
        QFile::link(member, holder + QStringLiteral("/slaves/") + QFileInfo(member).fileName());
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(FakeSysfs, PartitionAnswersWhatItsDiskReports)
{
    device(QStringLiteral("pci0/block/sda"), "0");
    number(partition(QStringLiteral("pci0/block/sda/sda1")), 8, 1);
    device(QStringLiteral("pci0/block/sdb"), "1");
    number(partition(QStringLiteral("pci0/block/sdb/sdb1")), 8, 17);
    number(device(QStringLiteral("pci0/nvme/nvme0n1"), "0"), 259, 0); // a whole disk, no partition
    EXPECT_TRUE(NSFileManagerUtils::isSolidStateDevice(8, 1));
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(8, 17));
    EXPECT_TRUE(NSFileManagerUtils::isSolidStateDevice(259, 0));
}

TEST_F(FakeSysfs, CacheProbesEachDeviceOnceAndNewCachesAskAfresh)
{
    const QString disk = device(QStringLiteral("pci0/block/sde"), "0");
    number(disk, 8, 64);
    SolidStateCache cache;
    EXPECT_TRUE(cache.isSolidStateDevice(makedev(8, 64)));
    write(disk + QStringLiteral("/queue/rotational"), "1\n");
    EXPECT_TRUE(cache.isSolidStateDevice(makedev(8, 64))) << "answered from the cache";
    EXPECT_FALSE(SolidStateCache().isSolidStateDevice(makedev(8, 64)));
    EXPECT_FALSE(cache.isSolidStateDevice(makedev(0, 42))) << "no block device, no drive";
    EXPECT_FALSE(cache.isSolidState(QFile::encodeName(m_root.filePath(QStringLiteral("absent")))));
}

TEST_F(FakeSysfs, DeviceMapperAndRaidReachTheDisksUnderThem)
{
    const QString ssd = device(QStringLiteral("pci0/block/sdc"), "0");
    const QString hdd = device(QStringLiteral("pci0/block/sdd"), "1");
    const QString crypt = device(QStringLiteral("virtual/block/dm-0"), "1"); // older kernels say 1 for dm
    slave(crypt, partition(QStringLiteral("pci0/block/sdc/sdc2")));
    number(crypt, 253, 0);
    EXPECT_TRUE(NSFileManagerUtils::isSolidStateDevice(253, 0));

    const QString raid = device(QStringLiteral("virtual/block/md0"));
    slave(raid, hdd);
    number(raid, 9, 0);
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(9, 0));
    (void)ssd;
}

TEST_F(FakeSysfs, WalkStopsAfterNineStepsAndMissingDevicesAnswerNo)
{
    // dm-0 -> dm-1 -> ... -> dm-N -> sda (solid state): N+1 steps up from dm-0.
    const auto chain = [&](int length, unsigned minor) {
        QString top;
        QString previous = device(QStringLiteral("pci1/block/sd%1").arg(minor), "0");
        for (int i = length - 1; i >= 0; --i) {
            const QString node = device(QStringLiteral("virtual/block/c%1-dm-%2").arg(minor).arg(i));
            slave(node, previous);
            previous = node;
        }
        number(previous, 253, minor);
    };
    chain(9, 9);   // the disk is the ninth step
    chain(10, 10); // the tenth
    EXPECT_TRUE(NSFileManagerUtils::isSolidStateDevice(253, 9));
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(253, 10));

    testsupport::LogCapture log;
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(8, 99));
    EXPECT_TRUE(log.contains(QStringLiteral("Could not find io classes of disk")));

    const QString broken = device(QStringLiteral("virtual/block/dm-7"), "1");
    QDir().mkpath(broken + QStringLiteral("/slaves"));
    QFile::link(QStringLiteral("/nonexistent/sdz"), broken + QStringLiteral("/slaves/sdz"));
    number(broken, 253, 7);
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(253, 7));
    EXPECT_TRUE(log.contains(QStringLiteral("Error while getting parent service entry")));

    QFile::link(QStringLiteral("../../devices/gone"), m_root.filePath(QStringLiteral("dev/block/8:200")));
    EXPECT_FALSE(NSFileManagerUtils::isSolidStateDevice(8, 200));
    EXPECT_TRUE(log.contains(QStringLiteral("Can't iterate services")));
}

TEST_F(FakeSysfs, PathIsMatchedThroughItsFileSystemsDevice)
{
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("f"));
    FakeSysfs::write(path, "x");
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    if (::major(info.st_dev) == 0)
        GTEST_SKIP() << "the temporary folder has no block device";
    number(device(QStringLiteral("pci0/block/vtest"), "0"), ::major(info.st_dev), ::minor(info.st_dev));
    EXPECT_TRUE(NSFileManagerUtils::isSolidState(QFile::encodeName(path).constData()));

    testsupport::LogCapture log;
    EXPECT_FALSE(NSFileManagerUtils::isSolidState("/definitely/not/here"));
    EXPECT_FALSE(NSFileManagerUtils::isSolidState(""));
    EXPECT_EQ(log.lines().size(), 2);
}

TEST(NSFileManagerUtils, FolderSizeIsTheSumOfLogicalSizesWithoutFollowingLinks)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("many"));
    QDir().mkpath(folder + QStringLiteral("/sub/deeper"));
    quint64 expected = 0;
    for (int i = 1; i <= 300; ++i) {
        QFile file(folder + QStringLiteral("/f%1").arg(i));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(i, 'x'));
        expected += quint64(i);
    }
    QFile deep(folder + QStringLiteral("/sub/deeper/d"));
    deep.open(QIODevice::WriteOnly);
    deep.write(QByteArray(5000, 'y'));
    deep.close();
    expected += 5000;
    // A sparse file counts its logical length, not its blocks.
    QFile sparse(folder + QStringLiteral("/sparse"));
    sparse.open(QIODevice::WriteOnly);
    sparse.resize(10 * 1024 * 1024);
    sparse.close();
    expected += 10 * 1024 * 1024;
    // A link inside counts as itself (its target's path length), not as the big file it names.
    const QString big = dir.filePath(QStringLiteral("big"));
    QFile bigFile(big);
    bigFile.open(QIODevice::WriteOnly);
    bigFile.write(QByteArray(100000, 'z'));
    bigFile.close();
    QFile::link(big, folder + QStringLiteral("/link"));
    expected += quint64(QFile::encodeName(big).size());

    EXPECT_EQ(NSFileManagerUtils::fileSize(folder), expected);
    EXPECT_EQ(NSFileManagerUtils::fileSize(folder + QStringLiteral("/f300")), 300u);
    EXPECT_EQ(NSFileManagerUtils::fileSize(folder + QStringLiteral("/link")),
              quint64(QFile::encodeName(big).size()));

    testsupport::LogCapture log;
    EXPECT_EQ(NSFileManagerUtils::fileSize(dir.filePath(QStringLiteral("missing"))), 0u);
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to create FSRef.")));
}

TEST(NSFileManagerUtils, CreatesMissingParentsWithTheGivenMode)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("a/b/c"));
    EXPECT_TRUE(NSFileManagerUtils::createDirectoryAtPathWithIntermediateDirectories(
        target, {{QStringLiteral("NSFilePosixPermissions"), 0700}}));
    EXPECT_TRUE(QFileInfo(target).isDir());
    struct stat info
    {
    };
    ::stat(QFile::encodeName(dir.filePath(QStringLiteral("a/b"))).constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Existing folders and trailing slashes are fine; the answer is always yes.
    EXPECT_TRUE(NSFileManagerUtils::createDirectoryAtPathWithIntermediateDirectories(
        target + QStringLiteral("/"), {}));
    EXPECT_TRUE(NSFileManagerUtils::createDirectoryAtPathWithIntermediateDirectories(QString(), {}));
}
