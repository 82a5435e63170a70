#include "platform/UdevMediaMonitor.h"

#include <gtest/gtest.h>

#include <QDir>

// The real device manager: the block devices it lists are the disks and partitions of /sys.
TEST(UdevMediaMonitor, listsTheMachinesDisksAndPartitionsWhenArmed)
{
    UdevMediaMonitor monitor;
    MediaEventSource::Batch present;
    const int status = monitor.addPublishNotification([](const MediaEventSource::Batch &) {}, &present);
    if (status != 0)
        GTEST_SKIP() << "no device events in this environment (status " << status << ")";
    const QStringList blockDevices = QDir(QStringLiteral("/sys/class/block")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_EQ(present.size(), blockDevices.size());
    for (const std::optional<QString> &name : present) {
        ASSERT_TRUE(name);
        EXPECT_FALSE(name->isEmpty());
    }
    MediaEventSource::Batch gone{QStringLiteral("left over")};
    EXPECT_EQ(monitor.addTerminateNotification([](const MediaEventSource::Batch &) {}, &gone), 0);
}
