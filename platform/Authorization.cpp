#include "platform/Authorization.h"

#include "platform/ChildProcess.h"
#include "platform/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::optional<bool> &administratorOverride()
{
    static std::optional<bool> value;
    return value;
}

// What the watching process reports about the start.
struct Report
{
    enum Kind : int { NotExecuted, Exited, Running };
    int kind;
    int value; // errno for NotExecuted, the exit status for Exited
    // The start of what pkexec wrote to standard error before it ended (Exited only): its exit
    // status alone does not tell a dismissed prompt from a refusal or a missing agent.
    char said[480];
};
static_assert(sizeof(Report) <= PIPE_BUF, "a report reaches the reader in one piece");

void sendReport(int fd, Report::Kind kind, int value, const char *said = nullptr, size_t saidLength = 0)
{
    Report report{kind, value, {}};
    for (size_t i = 0; said && i < saidLength && i + 1 < sizeof report.said; ++i)
        report.said[i] = said[i];
    ChildProcess::ReportPipe::write(fd, &report, sizeof report);
}

// Hands on what arrived on the error pipe to our own standard error (the person still sees every
// message), keeping the start of it. False once the pipe has ended. Async-signal-safe.
bool relayErrors(int errorFd, char *kept, size_t capacity, size_t *keptLength)
{
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(errorFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 && errno == EAGAIN;
        ssize_t written = 0;
        while (written < got) {
            const ssize_t step = ::write(STDERR_FILENO, buffer + written, size_t(got - written));
            if (step < 0 && errno == EINTR)
                continue;
            if (step <= 0)
                break;
            written += step;
        }
        for (ssize_t i = 0; kept && i < got && *keptLength < capacity; ++i)
            kept[(*keptLength)++] = buffer[i];
    }
}

// Whether the process now runs the program: its name in /proc changes on exec, from pkexec's to
// the program's (cut to the kernel's 15 characters). Async-signal-safe.
bool runsProgram(pid_t pid, const char *expectedName)
{
    char path[64];
    const int length = std::snprintf(path, sizeof path, "/proc/%d/comm", int(pid));
    if (length <= 0 || size_t(length) >= sizeof path)
        return false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char name[32] = {};
    const ssize_t got = ::read(fd, name, sizeof name - 1);
    ::close(fd);
    if (got <= 0)
        return false;
    if (name[got - 1] == '\n')
        name[got - 1] = '\0';
    return std::strcmp(name, expectedName) == 0;
}

// Everything after fork() below sticks to async-signal-safe calls: the parent may have threads.
// The watcher stays pkexec's parent while the password is asked for (pkexec refuses a caller whose
// parent has gone) and leaves as soon as the program runs or the start has ended without it.
// With an error pipe (errorFd >= 0), the child's standard error runs through the watcher, which
// keeps pkexec's words for the report; once the program runs, a process of its own relays the
// program's messages until the program closes its end, so none of them is lost.
[[noreturn]] void runWatcher(char *const *argv, const char *programName, int reportFd, int errorFd,
                             int errorWriteFd)
{
    ::signal(SIGCHLD, SIG_DFL);
    const pid_t child = ::fork();
    if (child == 0) {
        if (errorWriteFd >= 0)
            ::dup2(errorWriteFd, STDERR_FILENO);
        ::execv(argv[0], argv);
        sendReport(reportFd, Report::NotExecuted, errno);
        ::_exit(127);
    }
    if (child < 0)
        ::_exit(127);
    if (errorWriteFd >= 0)
        ::close(errorWriteFd);
    char said[sizeof Report::said];
    size_t saidLength = 0;
    bool errorsOpen = errorFd >= 0;
    const timespec pause{0, 20 * 1000 * 1000};
    for (;;) {
        if (errorsOpen)
            errorsOpen = relayErrors(errorFd, said, sizeof said - 1, &saidLength);
        int status = 0;
        const pid_t done = ChildProcess::wait(child, &status, WNOHANG);
        if (done == child) {
            if (errorsOpen)
                relayErrors(errorFd, said, sizeof said - 1, &saidLength);
            sendReport(reportFd, Report::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : 128, said,
                       saidLength);
            ::_exit(0);
        }
        if (done < 0)
            ::_exit(127);
        if (runsProgram(child, programName)) {
            sendReport(reportFd, Report::Running, 0);
            ::close(reportFd);
            if (errorsOpen && ::fork() == 0) {
                // Our standard error going away must not end the relay: the program would then
                // be the one to die of a broken pipe.
                ::signal(SIGPIPE, SIG_IGN);
                const int flags = ::fcntl(errorFd, F_GETFL);
                ::fcntl(errorFd, F_SETFL, flags & ~O_NONBLOCK);
                relayErrors(errorFd, nullptr, 0, nullptr);
            }
            ::_exit(0);
        }
        ::nanosleep(&pause, nullptr);
    }
}

} // namespace

bool Authorization::isAdministrator()
{
    if (administratorOverride())
        return *administratorOverride();
    return ::geteuid() == 0;
}

void Authorization::setAdministratorOverride(std::optional<bool> administrator)
{
    administratorOverride() = administrator;
}

QString Authorization::pkexecPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("pkexec"));
}

std::optional<QStringList> Authorization::administratorCommand(const QString &program,
                                                               const QStringList &arguments)
{
    QStringList argv;
    if (!isAdministrator()) {
        const QString pkexec = pkexecPath();
        if (pkexec.isEmpty())
            return std::nullopt;
        argv.append(pkexec);
    }
    argv.append(program);
    argv.append(arguments);
    return argv;
}

qint32 Authorization::executeWithPrivileges(const QString &program, const QStringList &arguments)
{
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return kToolExecuteFailure;
    const std::optional<QStringList> argv = administratorCommand(info.absoluteFilePath(), arguments);
    if (!argv)
        return kToolEnvironmentError;
    return spawnInOwnSession(*argv, info.absoluteFilePath());
}

qint32 Authorization::pkexecOutcome(int exitStatus, const QString &said)
{
    // pkexec's messages are fixed English texts (it is not translated); the exit status is not
    // enough: a prompt dismissed in a desktop agent ends with 127, as a refusal does.
    if (said.contains(QLatin1String("Request dismissed")))
        return kCanceled;
    if (said.contains(QLatin1String("No authentication agent found")) ||
        said.contains(QLatin1String("authentication agent:")))
        return kNoAuthenticationAgent;
    if (said.contains(QLatin1String("Not authorized")))
        return kDenied;
    return exitStatus == kPkexecNotAuthorized ? kCanceled : kToolExecuteFailure;
}

qint32 Authorization::spawnInOwnSession(const QStringList &argv, const QString &program)
{
    if (argv.isEmpty())
        return kToolExecuteFailure;
    // Built before forking: no allocation afterwards.
    const std::optional<ChildProcess::Vector> vector =
        ChildProcess::arguments(argv.constFirst(), argv.mid(1));
    if (!vector)
        return kToolExecuteFailure;
    const QByteArray programName = NativePath::encodeOrEmpty(QFileInfo(program).fileName()).left(15);

    ChildProcess::ReportPipe report;
    if (!report.open())
        return kToolExecuteFailure;

    const bool throughPkexec = argv.size() > 1 && argv.constFirst() == pkexecPath();
    // pkexec's own words are read only when pkexec asks; a program started directly keeps ours.
    base::DescriptorPair errors;
    if (throughPkexec) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return kToolExecuteFailure;
        errors.read.reset(ends[0]);
        errors.write.reset(ends[1]);
    }
    const pid_t first = ChildProcess::fork(report, true);
    if (first < 0)
        return kToolExecuteFailure;
    if (first == 0) {
        if (errors.read.valid())
            ::fcntl(errors.read.get(), F_SETFL, ::fcntl(errors.read.get(), F_GETFL) | O_NONBLOCK);
        runWatcher(vector->data(), programName.constData(), report.writeEnd(), errors.read.get(),
                   errors.write.get());
    }
    errors = {};
    // The first report tells: the watcher writes one, and so does the program's process when its
    // exec fails. The pipe ends when both are done with it.
    Report outcome{Report::Exited, 127, {}};
    bool reported = false;
    for (Report next{}; report.read(&next, sizeof next); next = {}) {
        if (!reported)
            outcome = next;
        reported = true;
    }
    int status = 0;
    ChildProcess::wait(first, &status, 0);

    switch (outcome.kind) {
    case Report::Running:
        return kSuccess;
    case Report::NotExecuted:
        return kToolExecuteFailure;
    default:
        break;
    }
    if (throughPkexec && (outcome.value == kPkexecNotAuthorized || outcome.value == kPkexecFailed)) {
        outcome.said[sizeof outcome.said - 1] = '\0';
        return pkexecOutcome(outcome.value, QString::fromLocal8Bit(outcome.said));
    }
    // It ran and ended before it could be watched: its own status says how it went.
    return outcome.value == 0 ? kSuccess : kToolExecuteFailure;
}
