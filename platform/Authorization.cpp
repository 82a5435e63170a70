#include "platform/Authorization.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::optional<bool> &administratorOverride()
{
    static std::optional<bool> value;
    return value;
}

pid_t waitRetrying(pid_t pid, int *status)
{
    pid_t result;
    do {
        result = ::waitpid(pid, status, 0);
    } while (result < 0 && errno == EINTR);
    return result;
}

// Everything after fork() below sticks to async-signal-safe calls: the parent may have threads.
[[noreturn]] void runIntermediate(char *const *argv, int reportFd)
{
    ::signal(SIGCHLD, SIG_DFL);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(argv[0], argv);
        const int error = errno;
        ssize_t ignored = ::write(reportFd, &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    ::close(reportFd);
    if (child < 0)
        ::_exit(127);
    int status = 0;
    if (waitRetrying(child, &status) < 0)
        ::_exit(127);
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128);
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

std::optional<QStringList> Authorization::administratorCommand(const QString &program, const QStringList &arguments)
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
        return kToolExecuteFailure;
    return spawnInOwnSession(*argv) ? kSuccess : kToolExecuteFailure;
}

bool Authorization::spawnInOwnSession(const QStringList &argv)
{
    if (argv.isEmpty())
        return false;
    // Built before forking: no allocation afterwards.
    std::vector<QByteArray> storage;
    storage.reserve(size_t(argv.size()));
    for (const QString &item : argv)
        storage.push_back(QFile::encodeName(item));
    std::vector<char *> vector;
    for (QByteArray &item : storage)
        vector.push_back(item.data());
    vector.push_back(nullptr);

    // The exec's outcome comes back through a pipe that closes by itself on a successful exec.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;

    const pid_t first = ::fork();
    if (first < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (first == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t intermediate = ::fork();
        if (intermediate == 0)
            runIntermediate(vector.data(), report[1]);
        // The intermediate is handed to init at once: the caller never has to reap it.
        ::_exit(intermediate < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    const pid_t waited = waitRetrying(first, &status);
    // Someone else's SIGCHLD handler may have reaped it already; the pipe still tells the outcome.
    const bool forked = waited < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);

    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return forked && got == 0;
}
