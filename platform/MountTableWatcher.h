#pragma once

#include "platform/VolumeEventSource.h"

#include <QObject>
#include <QSet>

#include <memory>

class QSocketNotifier;

// The process's mount table (/proc/self/mountinfo): a mount point that appears is a mounted
// volume, one that disappears an unmounted one. The kernel says nothing before an unmount, so this
// source never announces one in advance.
class MountTableWatcher : public QObject, public VolumeEventSource
{
    Q_OBJECT
public:
    explicit MountTableWatcher(const QString &mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                               QObject *parent = nullptr);
    ~MountTableWatcher() override;

    void setDidMountHandler(Handler handler) override { m_didMount = std::move(handler); }
    void setWillUnmountHandler(Handler handler) override { m_willUnmount = std::move(handler); }
    void setDidUnmountHandler(Handler handler) override { m_didUnmount = std::move(handler); }
    QStringList mountedLocalVolumePaths() const override;

    // Mount points of a mountinfo text backed by a block device, in table order.
    static QStringList localVolumePaths(const QByteArray &mountInfo);
    // Every mount point of a mountinfo text, with the exact bytes of its path.
    static QSet<QByteArray> mountPoints(const QByteArray &mountInfo);
    // Compares the table with the last one read and announces the differences.
    void rescan();

private:
    QByteArray readTable() const;

    QString m_path;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QStringList m_known;
    Handler m_didMount;
    Handler m_willUnmount;
    Handler m_didUnmount;
};
