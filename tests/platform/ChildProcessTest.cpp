#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cerrno>

namespace {

ChildProcess::Finished runShell(const char *script, int timeoutMs = -1)
{
    const std::optional<ChildProcess::Vector> argv =
        ChildProcess::arguments(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    EXPECT_TRUE(argv.has_value());
    return ChildProcess::runToEnd(*argv, timeoutMs);
}

} // namespace

// Both streams arrive whole and apart, however much is written; the status is the program's own.
TEST(ChildProcess, RunToEndKeepsBothStreamsAndTheStatusAndStopsWhatHangs)
{
    const ChildProcess::Finished talked =
        runShell("head -c 300000 /dev/zero | tr '\\0' o; echo said >&2; exit 3");
    EXPECT_TRUE(talked.exited);
    EXPECT_EQ(talked.exitStatus, 3);
    EXPECT_EQ(talked.output, QByteArray(300000, 'o'));
    EXPECT_EQ(talked.errors, QByteArray("said\n"));
    EXPECT_EQ(talked.startError, 0);

    // Without a timeout this would run for a minute and then count as exited.
    const ChildProcess::Finished hung = runShell("echo started; exec sleep 60", 300);
    EXPECT_FALSE(hung.exited);
    EXPECT_EQ(hung.output, QByteArray("started\n"));

    const std::optional<ChildProcess::Vector> missing =
        ChildProcess::arguments(QStringLiteral("/nonexistent/program"), {});
    ASSERT_TRUE(missing.has_value());
    const ChildProcess::Finished notRun = ChildProcess::runToEnd(*missing);
    EXPECT_EQ(notRun.startError, ENOENT);
    EXPECT_FALSE(notRun.exited);
}
