#include "platform/InvokingUser.h"

#include <QFile>
#include <QMutex>

#include <algorithm>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QMutex &sessionMutex()
{
    static QMutex mutex;
    return mutex;
}

QList<QPair<QByteArray, QByteArray>> &sessionStore()
{
    static QList<QPair<QByteArray, QByteArray>> values;
    return values;
}

} // namespace

InvokingUser::InvokingUser(uid_t uid, gid_t gid, QByteArray name, QString home)
    : m_uid(uid), m_gid(gid), m_name(std::move(name)), m_home(std::move(home))
{
}

std::optional<InvokingUser> InvokingUser::find()
{
    if (::geteuid() != 0)
        return std::nullopt;
    bool ok = false;
    const uint uid = qEnvironmentVariable("PKEXEC_UID").toUInt(&ok);
    if (!ok || uid == 0)
        return std::nullopt;
    return forUid(uid_t(uid));
}

std::optional<InvokingUser> InvokingUser::forUid(uid_t uid)
{
    passwd entry{};
    passwd *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
        found->pw_dir[0] != '/')
        return std::nullopt;
    return InvokingUser(uid, found->pw_gid, QByteArray(found->pw_name), QFile::decodeName(found->pw_dir));
}

std::vector<gid_t> InvokingUser::groups() const
{
    int count = 64;
    std::vector<gid_t> list(static_cast<size_t>(count));
    if (::getgrouplist(m_name.constData(), m_gid, list.data(), &count) < 0) {
        list.resize(size_t(count));
        if (::getgrouplist(m_name.constData(), m_gid, list.data(), &count) < 0)
            count = 0;
    }
    list.resize(size_t(count));
    if (std::find(list.begin(), list.end(), m_gid) == list.end())
        list.insert(list.begin(), m_gid);
    return list;
}

void InvokingUser::setSessionValue(const QByteArray &name, const QByteArray &value)
{
    QMutexLocker lock(&sessionMutex());
    auto &values = sessionStore();
    values.removeIf([&](const QPair<QByteArray, QByteArray> &entry) { return entry.first == name; });
    values.append({name, value});
}

QList<QPair<QByteArray, QByteArray>> InvokingUser::sessionValues()
{
    QMutexLocker lock(&sessionMutex());
    return sessionStore();
}

void InvokingUser::clearSessionValues()
{
    QMutexLocker lock(&sessionMutex());
    sessionStore().clear();
}
