#include "platform/Log.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

// Without a sink a line goes to standard error as "date time.milliseconds name[pid] line", the
// stamp in local time.
TEST(Log, ALineWithoutASinkGoesToStandardErrorStampedToTheMillisecond)
{
    // A zone away from the universal time, spelled so that it needs no zone files.
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    ::setenv("TZ", "XST-5:30", 1);
    ::tzset();
    QTemporaryFile capture;
    ASSERT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ASSERT_GE(saved, 0);
    ASSERT_GE(::dup2(capture.handle(), STDERR_FILENO), 0);
    const time_t before = ::time(nullptr);
    platform::logf("vkl path para[0] = %s, para[1] = %s", "/a b", "(null)");
    const time_t after = ::time(nullptr);
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);

    capture.seek(0);
    const QString text = QString::fromUtf8(capture.readAll());
    static const QRegularExpression shape(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\.\d{3} \S+\[(\d+)\] vkl path para\[0\] = /a b, para\[1\] = \(null\)\n$)"));
    const QRegularExpressionMatch match = shape.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    EXPECT_EQ(match.captured(2).toLongLong(), qint64(::getpid()));
    // Local time, not the universal one the clock keeps.
    bool inWindow = false;
    for (time_t second = before; second <= after; ++second) {
        tm local{};
        localtime_r(&second, &local);
        char expected[32];
        std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", &local);
        inWindow = inWindow || match.captured(1) == QLatin1String(expected);
    }
    if (hadZone)
        ::setenv("TZ", zone.constData(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_TRUE(inWindow) << text.toStdString();
}
