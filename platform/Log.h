#pragma once

#include <QString>
#include <functional>

// Diagnostics of both programs: free-text lines on standard error, each with a time stamp and the
// process name, written through this one function so tests can capture them.
namespace platform {

void log(const QString &line);
void logf(const char *format, ...) __attribute__((format(printf, 1, 2)));

using LogSink = std::function<void(const QString &line)>;
// Replaces where lines go (tests); an empty sink restores standard error. Returns the previous one.
LogSink setLogSink(LogSink sink);

} // namespace platform
