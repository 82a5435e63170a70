#include "platform/MountTableWatcher.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

const QByteArray kTable =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "23 22 0:21 / /proc rw - proc proc rw\n"
    "40 22 8:17 / /media/me/My\\040Stick rw shared:5 - vfat /dev/sdb1 rw\n"
    "41 22 0:40 / /run/user/1000 rw - tmpfs tmpfs rw\n";

void writeTable(const QString &path, const QByteArray &table)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(table);
}

} // namespace

TEST(MountTableWatcher, localVolumesAreThoseOnBlockDevicesInTableOrder)
{
    EXPECT_EQ(MountTableWatcher::localVolumePaths(kTable),
              (QStringList{QStringLiteral("/"), QStringLiteral("/media/me/My Stick")}));
    EXPECT_TRUE(MountTableWatcher::localVolumePaths("garbage line\n\n").isEmpty());
    EXPECT_EQ(
        MountTableWatcher::mountPoints(kTable + "42 22 8:2 /x /mnt/M\xFC\\134 rw - ext4 /dev/sda2 rw\n"),
        (QSet<QByteArray>{"/", "/proc", "/media/me/My Stick", "/run/user/1000", "/mnt/M\xFC\\"}))
        << "every mount point, whatever lies below it, with its own bytes";
}

TEST(MountTableWatcher, changesOfTheTableBecomeMountAndUnmountEvents)
{
    QTemporaryDir dir;
    const QString table = dir.filePath("mountinfo");
    writeTable(table, kTable);
    MountTableWatcher watcher(table);
    QStringList events;
    watcher.setDidMountHandler([&](const QVariantMap &info) { events << "mount " + info.value("NSDevicePath").toString(); });
    watcher.setDidUnmountHandler([&](const QVariantMap &info) { events << "unmount " + info.value("NSDevicePath").toString(); });
    watcher.setWillUnmountHandler([&](const QVariantMap &) { events << "will"; });

    watcher.rescan();
    EXPECT_TRUE(events.isEmpty());

    QByteArray changed = kTable;
    changed.replace("40 22 8:17 / /media/me/My\\040Stick rw shared:5 - vfat /dev/sdb1 rw\n", "");
    changed += "52 22 8:33 / /media/me/DISK rw - exfat /dev/sdc1 rw\n";
    writeTable(table, changed);
    watcher.rescan();
    EXPECT_EQ(events, (QStringList{"unmount /media/me/My Stick", "mount /media/me/DISK"}));
    EXPECT_EQ(watcher.mountedLocalVolumePaths(), (QStringList{"/", "/media/me/DISK"}));
}
