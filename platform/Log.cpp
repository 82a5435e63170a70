#include "platform/Log.h"

#include <QCoreApplication>
#include <QMutex>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace platform {
namespace {

QMutex &sinkMutex()
{
    static QMutex mutex;
    return mutex;
}

LogSink &currentSink()
{
    static LogSink sink;
    return sink;
}

// The local time to the millisecond, as "yyyy-MM-dd HH:mm:ss.zzz". From the C library rather than
// QDateTime: the program's first line is written before anything else has set up Qt's time zone
// and locale, which would cost the start about half a millisecond for this one stamp.
QString localTimeStamp()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    if (!localtime_r(&now.tv_sec, &local))
        return QString();
    char text[40];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, ".%03ld", long(now.tv_nsec / 1000000));
    return QString::fromLatin1(text);
}

void writeToStandardError(const QString &line)
{
    const QString name = QCoreApplication::instance() ? QCoreApplication::applicationName()
                                                      : QStringLiteral("nullwell");
    const QString stamp = localTimeStamp();
    const QByteArray text =
        QStringLiteral("%1 %2[%3] %4\n").arg(stamp, name).arg(::getpid()).arg(line).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void log(const QString &line)
{
    LogSink sink;
    {
        QMutexLocker lock(&sinkMutex());
        sink = currentSink();
    }
    if (sink)
        sink(line);
    else
        writeToStandardError(line);
}

void logf(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    QByteArray buffer(needed > 0 ? needed + 1 : 1, '\0');
    if (needed > 0)
        std::vsnprintf(buffer.data(), size_t(buffer.size()), format, args);
    va_end(args);
    buffer.truncate(needed > 0 ? needed : 0);
    log(QString::fromUtf8(buffer));
}

LogSink setLogSink(LogSink sink)
{
    QMutexLocker lock(&sinkMutex());
    LogSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace platform
