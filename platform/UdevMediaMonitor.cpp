#include "UdevMediaMonitor.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <libudev.h>

namespace {

bool isMedium(udev_device *device)
{
    const char *type = udev_device_get_devtype(device);
    return type && (std::strcmp(type, "disk") == 0 || std::strcmp(type, "partition") == 0);
}

} // namespace

UdevMediaMonitor::UdevMediaMonitor(QObject *parent)
    : QObject(parent)
    , m_udev(udev_new())
{
}

UdevMediaMonitor::~UdevMediaMonitor()
{
    m_notifier.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

QString UdevMediaMonitor::mediaName(udev_device *device)
{
    for (const char *key : {"ID_PART_ENTRY_NAME", "ID_FS_LABEL", "ID_MODEL"}) {
        const char *value = udev_device_get_property_value(device, key);
        if (value && *value)
            return QString::fromUtf8(value).replace(QLatin1Char('_'), QLatin1Char(' '));
    }
    const char *name = udev_device_get_sysname(device);
    return name ? QString::fromUtf8(name) : QString();
}

int UdevMediaMonitor::ensureMonitor()
{
    if (m_monitor)
        return 0;
    if (!m_udev)
        return -ENOMEM;
    udev_monitor *monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!monitor)
        return errno ? -errno : -EIO;
    int status = udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", nullptr);
    if (status >= 0)
        status = udev_monitor_enable_receiving(monitor);
    if (status < 0) {
        udev_monitor_unref(monitor);
        return status;
    }
    m_monitor = monitor;
    m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UdevMediaMonitor::readEvents);
    return 0;
}

int UdevMediaMonitor::addPublishNotification(Callback callback, Batch *present)
{
    const int status = ensureMonitor();
    if (status != 0)
        return status;
    m_published = std::move(callback);
    if (!present)
        return 0;
    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    udev_enumerate_add_match_subsystem(enumerate, "block");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        if (isMedium(device))
            present->append(mediaName(device));
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    return 0;
}

int UdevMediaMonitor::addTerminateNotification(Callback callback, Batch *)
{
    const int status = ensureMonitor();
    if (status != 0)
        return status;
    m_terminated = std::move(callback);
    return 0;
}

void UdevMediaMonitor::readEvents()
{
    Batch added;
    Batch removed;
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const char *action = udev_device_get_action(device);
        if (action && isMedium(device)) {
            if (std::strcmp(action, "add") == 0)
                added.append(mediaName(device));
            else if (std::strcmp(action, "remove") == 0)
                removed.append(mediaName(device));
        }
        udev_device_unref(device);
    }
    if (!added.isEmpty() && m_published)
        m_published(added);
    if (!removed.isEmpty() && m_terminated)
        m_terminated(removed);
}

// Its own object: in the library's shared moc object it would pull libudev into every program.
#include "moc_UdevMediaMonitor.cpp"
