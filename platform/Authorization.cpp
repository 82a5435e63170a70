#include "platform/Authorization.h"

#include "platform/ChildProcess.h"
#include "platform/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
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
};

void sendReport(int fd, Report::Kind kind, int value)
{
    const Report report{kind, value};
    ssize_t ignored = ::write(fd, &report, sizeof report);
    (void)ignored;
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
[[noreturn]] void runWatcher(char *const *argv, const char *programName, int reportFd)
{
    ::signal(SIGCHLD, SIG_DFL);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(argv[0], argv);
        sendReport(reportFd, Report::NotExecuted, errno);
        ::_exit(127);
    }
    if (child < 0)
        ::_exit(127);
    const timespec pause{0, 20 * 1000 * 1000};
    for (;;) {
        int status = 0;
        const pid_t done = ChildProcess::wait(child, &status, WNOHANG);
        if (done == child) {
            sendReport(reportFd, Report::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
            ::_exit(0);
        }
        if (done < 0)
            ::_exit(127);
        if (runsProgram(child, programName)) {
            sendReport(reportFd, Report::Running, 0);
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

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return kToolExecuteFailure;

    const pid_t first = ::fork();
    if (first < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return kToolExecuteFailure;
    }
    if (first == 0) {
        ::close(report[0]);
        ::setsid();
        runWatcher(vector->data(), programName.constData(), report[1]);
    }
    ::close(report[1]);
    // The first report tells: the watcher writes one, and so does the program's process when its
    // exec fails. The pipe ends when both are done with it.
    Report outcome{Report::Exited, 127};
    bool reported = false;
    for (;;) {
        Report next{};
        const ssize_t got = ::read(report[0], &next, sizeof next);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != ssize_t(sizeof next))
            break;
        if (!reported)
            outcome = next;
        reported = true;
    }
    ::close(report[0]);
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
    const bool throughPkexec = argv.size() > 1 && argv.constFirst() == pkexecPath();
    if (throughPkexec && outcome.value == kPkexecNotAuthorized)
        return kCanceled;
    if (throughPkexec && outcome.value == kPkexecFailed)
        return kDenied;
    // It ran and ended before it could be watched: its own status says how it went.
    return outcome.value == 0 ? kSuccess : kToolExecuteFailure;
}
