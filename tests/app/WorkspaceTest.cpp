// Opening an application bundle: which executable is started, and that it really runs detached.
#include "platform/Workspace.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QString writeProgram(const QString &path, const QByteArray &body, bool executable = true)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QFile::setPermissions(path, permissions);
    return path;
}

} // namespace

TEST(Workspace, FindsTheExecutableOfABundle)
{
    QTemporaryDir dir;
    // The packaged outer bundle: a launcher with its own name beside the nested main bundle.
    const QString outer = dir.filePath(QStringLiteral("Outer App.app"));
    const QString launcher = writeProgram(outer + QStringLiteral("/Contents/MacOS/outer-launcher"), "exit 0");
    QDir().mkpath(outer + QStringLiteral("/Contents/MacOS/Inner.app/Contents/MacOS"));
    writeProgram(outer + QStringLiteral("/Contents/MacOS/notes.txt"), "", false);
    EXPECT_EQ(Workspace::executableForBundle(outer), launcher);

    // The one named after the bundle wins over others.
    const QString named = writeProgram(outer + QStringLiteral("/Contents/MacOS/Outer App"), "exit 0");
    EXPECT_EQ(Workspace::executableForBundle(outer), named);

    // Two unnamed candidates: no guessing.
    const QString twin = dir.filePath(QStringLiteral("Twin.app"));
    writeProgram(twin + QStringLiteral("/Contents/MacOS/a"), "exit 0");
    writeProgram(twin + QStringLiteral("/Contents/MacOS/b"), "exit 0");
    EXPECT_TRUE(Workspace::executableForBundle(twin).isEmpty());
    EXPECT_TRUE(Workspace::executableForBundle(dir.filePath(QStringLiteral("Missing.app"))).isEmpty());
}

TEST(Workspace, LaunchStartsTheBundleAndReportsFailures)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    const QString bundle = dir.filePath(QStringLiteral("Runner.app"));
    writeProgram(bundle + QStringLiteral("/Contents/MacOS/runner"),
                 "printf '%s' \"$#\" > '" + QFile::encodeName(marker) + ".tmp' && mv '" + QFile::encodeName(marker) +
                     ".tmp' '" + QFile::encodeName(marker) + "'");

    Workspace workspace;
    EXPECT_TRUE(workspace.launchApplication(bundle));
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFileInfo::exists(marker); }));
    QFile started(marker);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(started.readAll(), QByteArray("0")) << "started without arguments";

    const QString empty = dir.filePath(QStringLiteral("Empty.app"));
    QDir().mkpath(empty + QStringLiteral("/Contents/MacOS"));
    EXPECT_FALSE(workspace.launchApplication(empty));
    EXPECT_FALSE(workspace.launchApplication(dir.filePath(QStringLiteral("Nowhere.app"))));
    EXPECT_FALSE(workspace.launchApplication(QString()));
    const QString plain = writeProgram(dir.filePath(QStringLiteral("plain")), "exit 0", false);
    EXPECT_FALSE(workspace.launchApplication(plain));
    // Executable bits on something the system cannot run: only the failed exec tells.
    const QString broken = writeProgram(dir.filePath(QStringLiteral("broken")), "exit 0");
    QFile script(broken);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/nonexistent/interpreter\n");
    script.close();
    EXPECT_FALSE(workspace.launchApplication(broken));
}
