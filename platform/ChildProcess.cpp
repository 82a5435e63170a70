#include "platform/ChildProcess.h"

#include "platform/NativePath.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::Vector::Vector(std::vector<QByteArray> items) : m_items(std::move(items))
{
    m_pointers.reserve(m_items.size() + 1);
    for (QByteArray &item : m_items)
        m_pointers.push_back(item.data());
    m_pointers.push_back(nullptr);
}

std::optional<ChildProcess::Vector> ChildProcess::arguments(const QString &program,
                                                            const QStringList &arguments)
{
    std::vector<QByteArray> items;
    items.reserve(size_t(arguments.size()) + 1);
    for (const QString &text : QStringList{program} + arguments) {
        std::optional<QByteArray> bytes = NativePath::encode(text);
        if (!bytes)
            return std::nullopt;
        items.push_back(std::move(*bytes));
    }
    return Vector(std::move(items));
}

pid_t ChildProcess::wait(pid_t pid, int *status, int options)
{
    pid_t result;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

void ChildProcess::killAndCollect(pid_t pid)
{
    ::kill(pid, SIGKILL);
    for (int i = 0; i < 500; ++i) {
        if (wait(pid, nullptr, WNOHANG) != 0)
            return;
        ::usleep(10000);
    }
}

bool ChildProcess::ReportPipe::open()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    m_ends.read.reset(ends[0]);
    m_ends.write.reset(ends[1]);
    return true;
}

bool ChildProcess::ReportPipe::read(void *record, size_t size)
{
    ssize_t got;
    do {
        got = ::read(m_ends.read.get(), record, size);
    } while (got < 0 && errno == EINTR);
    return got == ssize_t(size);
}

void ChildProcess::ReportPipe::write(int writeEnd, const void *record, size_t size)
{
    ssize_t ignored = ::write(writeEnd, record, size);
    (void)ignored;
}

void ChildProcess::ReportPipe::failStart(int writeEnd, int error)
{
    write(writeEnd, &error, sizeof error);
    ::_exit(127);
}

pid_t ChildProcess::fork(ReportPipe &report, bool ownSession)
{
    const pid_t child = ::fork();
    if (child == 0) {
        // Never destroyed: the child leaves by exec or _exit.
        ::close(report.m_ends.read.release());
        if (ownSession)
            ::setsid();
        return 0;
    }
    report.m_ends.write.reset();
    return child;
}

bool ChildProcess::becomeUser(uid_t uid, gid_t gid, const std::vector<gid_t> &groups)
{
    return ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0 &&
           ::getuid() == uid && ::geteuid() == uid && ::setuid(0) != 0;
}

void ChildProcess::resetSignals()
{
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGCHLD, SIG_DFL);
}

bool ChildProcess::startDetached(Exec exec, const void *context)
{
    ReportPipe report;
    if (!report.open())
        return false;
    const pid_t first = fork(report, true);
    if (first < 0)
        return false;
    if (first == 0) {
        // The intermediate leaves at once, so the program is nobody's to reap but init's.
        const pid_t program = ::fork();
        if (program == 0)
            ReportPipe::failStart(report.writeEnd(), exec(context));
        ::_exit(program < 0 ? 1 : 0);
    }
    int status = 0;
    const pid_t waited = wait(first, &status, 0);
    const bool forked = waited < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int error = 0;
    const bool ran = !report.read(&error, sizeof error);
    return forked && ran;
}

pid_t ChildProcess::start(Exec exec, const void *context)
{
    ReportPipe report;
    if (!report.open())
        return -1;
    const pid_t child = fork(report, false);
    if (child < 0)
        return -1;
    if (child == 0)
        ReportPipe::failStart(report.writeEnd(), exec(context));
    int error = 0;
    if (report.read(&error, sizeof error)) {
        wait(child, nullptr, 0);
        return -1;
    }
    return child;
}

ChildProcess::Finished ChildProcess::runToEnd(const Vector &argv, int timeoutMs)
{
    Finished finished;
    base::DescriptorPair output;
    base::DescriptorPair errors;
    for (base::DescriptorPair *pair : {&output, &errors}) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            finished.startError = errno;
            return finished;
        }
        pair->read.reset(ends[0]);
        pair->write.reset(ends[1]);
    }
    struct Start
    {
        char *const *argv;
        int output;
        int errors;
    };
    const Start start{argv.data(), output.write.get(), errors.write.get()};
    ReportPipe report;
    if (!report.open()) {
        finished.startError = errno;
        return finished;
    }
    const pid_t child = fork(report, false);
    if (child < 0) {
        finished.startError = errno;
        return finished;
    }
    if (child == 0) {
        resetSignals();
        if (::dup2(start.output, STDOUT_FILENO) < 0 || ::dup2(start.errors, STDERR_FILENO) < 0)
            ReportPipe::failStart(report.writeEnd(), errno);
        ::execv(start.argv[0], start.argv);
        ReportPipe::failStart(report.writeEnd(), errno);
    }
    output.write.reset();
    errors.write.reset();
    int error = 0;
    if (report.read(&error, sizeof error))
        finished.startError = error;

    pollfd watched[2] = {{output.read.get(), POLLIN, 0}, {errors.read.get(), POLLIN, 0}};
    QByteArray *collected[2] = {&finished.output, &finished.errors};
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    for (int open = 2; open > 0;) {
        const int ready = ::poll(watched, 2, deadline.isForever() ? -1 : int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            killAndCollect(child);
            finished.exitStatus = -1;
            return finished;
        }
        if (ready < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                collected[i]->append(buffer, got);
            } else if (got == 0 || errno != EINTR) {
                watched[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    if (wait(child, &status, 0) == child && finished.startError == 0 && WIFEXITED(status)) {
        finished.exited = true;
        finished.exitStatus = WEXITSTATUS(status);
    }
    return finished;
}
