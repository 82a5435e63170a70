#include "platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject *observer, const QString &name, Handler handler,
                                     const void *object)
{
    if (!observer || !handler)
        return;
    QMutexLocker lock(&m_mutex);
    m_entries.push_back(Entry{QPointer<QObject>(observer), observer, name, object, std::move(handler)});
}

void NotificationCenter::removeObserver(QObject *observer, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    std::erase_if(m_entries, [&](const Entry &entry) {
        return entry.key == observer && (name.isEmpty() || entry.name == name);
    });
}

void NotificationCenter::postNotification(const QString &name, const void *object, const QVariantMap &userInfo)
{
    Notification notification{name, object, userInfo};
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [this, notification] { deliver(notification); }, Qt::QueuedConnection);
        return;
    }
    deliver(notification);
}

int NotificationCenter::observerCount(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    int count = 0;
    for (const Entry &entry : m_entries)
        count += (entry.name == name && entry.observer) ? 1 : 0;
    return count;
}

void NotificationCenter::deliver(const Notification &notification)
{
    // Copy the matching handlers first: a handler may add or remove observers.
    std::vector<std::pair<QPointer<QObject>, Handler>> targets;
    {
        QMutexLocker lock(&m_mutex);
        std::erase_if(m_entries, [](const Entry &entry) { return entry.observer.isNull(); });
        for (const Entry &entry : m_entries) {
            if (entry.name == notification.name && (!entry.object || entry.object == notification.object))
                targets.emplace_back(entry.observer, entry.handler);
        }
    }
    for (auto &[observer, handler] : targets) {
        if (observer)
            handler(notification);
    }
}
