#pragma once

#include "platform/InvokingUser.h"

#include <QMutex>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>
#include <optional>

// The user's defaults: a small key-value store kept in a settings file in the user's configuration
// folder. When the program runs as root on a user's behalf (through pkexec), it is that user's
// folder and file, so the choices follow the person, not the administrator account. Root then
// never opens that file itself: the values live in a private copy, and the person's file is read
// and replaced the careful way (UserFile), so a link planted there leads nowhere.
class UserDefaults
{
public:
    // Kept for the person of InvokingUser::find() when there is one.
    explicit UserDefaults(const QString &filePath);
    // Kept for owner (tests); nothing means the process's own user.
    UserDefaults(const QString &filePath, std::optional<InvokingUser> owner);
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
    // The person's file as it stands now, copied into the private one.
    std::optional<QByteArray> loadOwnersFile();

    mutable QMutex m_mutex;
    QString m_filePath;
    std::optional<InvokingUser> m_owner;
    std::unique_ptr<QTemporaryDir> m_privateFolder;
    QString m_privateFile;
    std::unique_ptr<QSettings> m_settings;
};
