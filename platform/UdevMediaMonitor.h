#pragma once

#include "platform/MediaEventSource.h"

#include <QObject>

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_device;
struct udev_monitor;

// Block devices of the kernel's device manager: every disk and partition that is added or removed.
// Events that arrive together are delivered as one batch.
class UdevMediaMonitor : public QObject, public MediaEventSource
{
    Q_OBJECT
public:
    explicit UdevMediaMonitor(QObject *parent = nullptr);
    ~UdevMediaMonitor() override;

    int addPublishNotification(Callback callback, Batch *present) override;
    int addTerminateNotification(Callback callback, Batch *present) override;

    // The name people know the medium by: its partition name, file-system label or model, else
    // the kernel's name for it.
    static QString mediaName(udev_device *device);

private:
    int ensureMonitor();
    void readEvents();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Callback m_published;
    Callback m_terminated;
};
