#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>
#include <sys/types.h>
#include <vector>

// The person the program acts for. Started through pkexec it runs as root, and PKEXEC_UID names
// the account that asked: whatever is written or started for that person is handed to them or
// run with their rights, never left with ours.
class InvokingUser
{
public:
    InvokingUser(uid_t uid, gid_t gid, QByteArray name, QString home);

    // The person behind a root process started through pkexec. Nothing when we are not root, when
    // PKEXEC_UID is missing, names root or names no account.
    static std::optional<InvokingUser> find();
    // The account with that id, from the user database.
    static std::optional<InvokingUser> forUid(uid_t uid);

    uid_t uid() const { return m_uid; }
    gid_t gid() const { return m_gid; }
    const QByteArray &name() const { return m_name; }
    const QString &home() const { return m_home; }
    // The account's groups, its primary group among them.
    std::vector<gid_t> groups() const;

    // Values that lead to the person's desktop session (display, session bus), kept once they were
    // checked, for the helpers started as the person. One set per process.
    static void setSessionValue(const QByteArray &name, const QByteArray &value);
    static QList<QPair<QByteArray, QByteArray>> sessionValues();
    static void clearSessionValues();

private:
    uid_t m_uid;
    gid_t m_gid;
    QByteArray m_name;
    QString m_home;
};
