#pragma once

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <vector>

// A posted notification: a name, the object that posted it (compared by identity, never
// dereferenced by the centre) and an optional dictionary of details.
struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// Process-wide named notifications. Observers are QObjects: one that is destroyed stops receiving
// without having to remove itself. Delivery always happens on the main thread: a post from the main
// thread is delivered before postNotification returns, a post from another thread is queued to it.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();

    // Calls handler for every notification with this name, and from this object unless it is null.
    void addObserver(QObject *observer, const QString &name, Handler handler, const void *object = nullptr);
    // Removes the observer's registrations for the name, or for every name when it is empty.
    void removeObserver(QObject *observer, const QString &name = QString());
    void postNotification(const QString &name, const void *object = nullptr,
                          const QVariantMap &userInfo = QVariantMap());

    int observerCount(const QString &name) const;

private:
    struct Entry
    {
        QPointer<QObject> observer;
        const QObject *key = nullptr; // identity, valid after the observer is gone
        QString name;
        const void *object = nullptr;
        Handler handler;
    };

    void deliver(const Notification &notification);

    mutable QMutex m_mutex;
    std::vector<Entry> m_entries;
};
