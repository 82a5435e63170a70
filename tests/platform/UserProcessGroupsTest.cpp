// A helper started for the person must hold nothing of root's: its user, its group and every
// supplementary group are the person's, as the kernel reports them to the helper itself.
#include "platform/UserProcess.h"
#include "platform/Workspace.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(UserProcessGroups, AHelperStartedForThePersonHasTheirGroupsAndNoneOfRoots)
{
    // An unprivileged process cannot take on someone else's groups at all, and a user namespace
    // of its own maps one id and must refuse setgroups(), so there is nothing to switch from.
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root changes to another person's groups";
    const passwd *person = ::getpwuid(65534);
    if (!person)
        GTEST_SKIP() << "no account 65534 to act for";
    const QByteArray name(person->pw_name);
    const gid_t gid = person->pw_gid;
    int count = 64;
    std::vector<gid_t> groups(std::size_t(count), 0);
    ASSERT_GE(::getgrouplist(name.constData(), gid, groups.data(), &count), 0);
    groups.resize(std::size_t(count));
    std::sort(groups.begin(), groups.end());
    QStringList expectedGroups;
    for (const gid_t group : groups)
        expectedGroups << QString::number(group);
    const QString g = QString::number(gid);
    const QStringList expected{QStringLiteral("Uid: 65534 65534 65534 65534"),
                               QStringLiteral("Gid: %1 %1 %1 %1").arg(g),
                               QStringLiteral("Groups: ") + expectedGroups.join(QLatin1Char(' '))};

    // Root with supplementary groups of its own, as on most systems, so that keeping them shows.
    std::vector<gid_t> ours(std::size_t(std::max(::getgroups(0, nullptr), 0)));
    ours.resize(std::size_t(std::max(::getgroups(int(ours.size()), ours.data()), 0)));
    const gid_t rootGroups[] = {0, 4, 27};
    ASSERT_EQ(::setgroups(std::size(rootGroups), rootGroups), 0);
    const std::shared_ptr<void> restore(nullptr, [&](void *) { ::setgroups(ours.size(), ours.data()); });

    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QString script = QStringLiteral("grep -E '^(Uid|Gid|Groups):' /proc/self/status > \"$0.tmp\" && "
                                          "mv \"$0.tmp\" \"$0\"");
    qputenv("PKEXEC_UID", "65534");
    // Waited for, and detached the way the desktop helpers are started.
    const QString waited = dir.filePath(QStringLiteral("waited"));
    EXPECT_EQ(UserProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, waited}).run(10000), 0);
    const QString detached = dir.filePath(QStringLiteral("detached"));
    EXPECT_TRUE(
        Workspace::startAsInvokingUser(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, detached}));
    qunsetenv("PKEXEC_UID");

    for (const QString &out : {waited, detached}) {
        ASSERT_TRUE(testsupport::waitUntil([&] { return QFile::exists(out); })) << out.toStdString();
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QStringList seen;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty())
                seen << QString::fromLatin1(line).simplified();
        }
        EXPECT_EQ(seen.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString())
            << out.toStdString();
    }
}
