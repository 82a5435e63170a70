#pragma once

#include <QMutex>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// The user's defaults: a small key-value store kept in a settings file in the user's configuration
// folder. When the program runs as root on a user's behalf (through pkexec), it is that user's
// folder and file, so the choices follow the person, not the administrator account.
class UserDefaults
{
public:
    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();

    // The process-wide defaults, on defaultFilePath() unless a test replaced them.
    static UserDefaults &standard();
    // Makes standard() answer this instance (tests); nullptr restores the real one. Not owned.
    static void setStandardOverride(UserDefaults *defaults);
    static QString defaultFilePath();

    QString filePath() const;

    QVariant objectForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QStringList stringArrayForKey(const QString &key) const;

    void setObject(const QVariant &value, const QString &key);
    void setInteger(qint64 value, const QString &key);
    void setBool(bool value, const QString &key);
    void removeObjectForKey(const QString &key);
    bool synchronize();

private:
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    uint m_ownerUid;
    bool m_chownToOwner;
};
