// Files root writes for a person anywhere they chose (an export): no link on the way is followed,
// and what is written is the person's.
#include "platform/UserFile.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray content(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(UserFile, WritesForThePersonOutsideTheirHomeWithoutFollowingLinks)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root writes for someone else";
    QTemporaryDir dir;
    const InvokingUser person(54321, 54321, "scratch", dir.filePath(QStringLiteral("home")));
    const QString exports = dir.filePath(QStringLiteral("exports"));
    const QString rootOnly = dir.filePath(QStringLiteral("root-only"));
    ASSERT_TRUE(QDir().mkpath(exports) && QDir().mkpath(rootOnly));
    ASSERT_TRUE(QFile::link(rootOnly, exports + QStringLiteral("/shared")));
    const QString target = exports + QStringLiteral("/run.html");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_EQ(::chown(QFile::encodeName(target).constData(), 54321, 54321), 0);

    UserFile::Options options;
    ASSERT_TRUE(UserFile::writeAtomically(person, target, "<html/>", options));
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 54321u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(content(target), QByteArray("<html/>"));
    EXPECT_EQ(UserFile::read(person, target, 100).value_or(QByteArray()), QByteArray("<html/>"));
    EXPECT_FALSE(UserFile::read(person, target, 3).has_value()) << "larger than asked for";

    testsupport::LogCapture log;
    EXPECT_FALSE(
        UserFile::writeAtomically(person, exports + QStringLiteral("/shared/run.html"), "x", options));
    EXPECT_TRUE(QDir(rootOnly).isEmpty());
    EXPECT_TRUE(log.contains(
        QStringLiteral("Not following the link shared on the way to %1/shared/run.html").arg(exports)));

    const QString linked = exports + QStringLiteral("/linked.html");
    ASSERT_TRUE(QFile::link(rootOnly + QStringLiteral("/victim"), linked));
    EXPECT_FALSE(UserFile::writeAtomically(person, linked, "x", options));
    EXPECT_FALSE(QFileInfo::exists(rootOnly + QStringLiteral("/victim")));
    EXPECT_FALSE(UserFile::read(person, linked, 100).has_value());

    // Folders appear only where asked for, and then belong to the person.
    EXPECT_FALSE(UserFile::writeAtomically(person, exports + QStringLiteral("/new/run.html"), "x", options));
    EXPECT_FALSE(QFileInfo::exists(exports + QStringLiteral("/new")));
    options.createFolders = true;
    ASSERT_TRUE(UserFile::writeAtomically(person, exports + QStringLiteral("/new/run.html"), "x", options));
    ASSERT_EQ(::lstat(QFile::encodeName(exports + QStringLiteral("/new")).constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 54321u);
    EXPECT_FALSE(UserFile::writeAtomically(person, QStringLiteral("relative/run.html"), "x", options));
}
