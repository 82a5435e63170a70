#include "SpawnedProcessRunner.h"

#include "platform/ChildProcess.h"
#include "platform/Log.h"
#include "platform/NativePath.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

SpawnedProcessRunner::~SpawnedProcessRunner()
{
    // Never leave a child behind, and never post from a half-destroyed runner.
    m_processor.reset();
    delete m_watcher;
    m_watcher = nullptr;
    dropInput();
    dropOutput();
    stopWatching(m_errorNotifier, m_errorFd);
    if (m_pid > 0)
        ChildProcess::killAndCollect(m_pid);
}

bool SpawnedProcessRunner::launch(const QString &program, const QStringList &arguments)
{
    if (m_pid > 0)
        return false;
    const std::optional<ChildProcess::Vector> argv = ChildProcess::arguments(program, arguments);
    const char *path = argv ? argv->data()[0] : nullptr;
    struct stat info
    {
    };
    if (!path || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode) || ::access(path, X_OK) != 0)
        return false;

    // The child's input is a socket rather than a pipe: writing to it after the child has gone
    // fails with EPIPE instead of killing this process with SIGPIPE.
    base::DescriptorPair input;
    base::DescriptorPair output;
    if (talks()) {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return false;
        input.write.reset(ends[0]);
        input.read.reset(ends[1]);
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        output.read.reset(ends[0]);
        output.write.reset(ends[1]);
        ::shutdown(input.write.get(), SHUT_RD);
        ::shutdown(input.read.get(), SHUT_WR);
    }
    base::DescriptorPair errors; // without a pipe its standard error is thrown away below
    if (int ends[2]; ::pipe2(ends, O_CLOEXEC) == 0) {
        errors.read.reset(ends[0]);
        errors.write.reset(ends[1]);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (talks()) {
        posix_spawn_file_actions_adddup2(&actions, input.read.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output.write.get(), STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (errors.write.valid())
        posix_spawn_file_actions_adddup2(&actions, errors.write.get(), STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
    // A signal this process ignores or blocks would otherwise stay so in the tool.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int result = ::posix_spawn(&pid, path, &actions, &attributes, argv->data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // The child's ends are the child's alone from here on.
    input.read.reset();
    output.write.reset();
    errors.write.reset();
    // On failure the C library reports the failed exec here and has collected that child.
    if (result != 0)
        return false;
    m_pid = pid;
    if (errors.read.valid()) {
        m_errorFd = std::move(errors.read);
        ::fcntl(m_errorFd.get(), F_SETFL, ::fcntl(m_errorFd.get(), F_GETFL) | O_NONBLOCK);
        m_errorNotifier = new QSocketNotifier(qintptr(m_errorFd.get()), QSocketNotifier::Read, this);
        connect(m_errorNotifier, &QSocketNotifier::activated, this, [this] { readErrors(false); });
    }
    if (talks()) {
        m_inputFd = std::move(input.write);
        m_outputFd = std::move(output.read);
        ::fcntl(m_inputFd.get(), F_SETFL, ::fcntl(m_inputFd.get(), F_GETFL) | O_NONBLOCK);
        ::fcntl(m_outputFd.get(), F_SETFL, ::fcntl(m_outputFd.get(), F_GETFL) | O_NONBLOCK);
        m_inputNotifier = new QSocketNotifier(qintptr(m_inputFd.get()), QSocketNotifier::Write, this);
        m_inputNotifier->setEnabled(false);
        connect(m_inputNotifier, &QSocketNotifier::activated, this, [this] { flushInput(); });
        m_outputNotifier = new QSocketNotifier(qintptr(m_outputFd.get()), QSocketNotifier::Read, this);
        connect(m_outputNotifier, &QSocketNotifier::activated, this, [this] { readOutput(); });
        m_processor = std::make_unique<ProcessorAvoidance>(pid);
        m_outputHold = new QTimer(this);
        m_outputHold->setSingleShot(true);
        m_outputHold->setTimerType(Qt::PreciseTimer);
        connect(m_outputHold, &QTimer::timeout, this, [this] {
            if (m_outputNotifier)
                m_outputNotifier->setEnabled(true);
        });
    }
    watchChild();
    return true;
}

bool SpawnedProcessRunner::writeInput(const QByteArray &bytes)
{
    if (!m_inputFd.valid() || m_inputClosing)
        return false;
    m_pendingInput.append(bytes);
    flushInput();
    return m_inputFd.valid();
}

void SpawnedProcessRunner::closeInput()
{
    m_inputClosing = true;
    if (m_pendingInput.isEmpty())
        dropInput();
}

void SpawnedProcessRunner::flushInput()
{
    while (m_inputFd.valid() && !m_pendingInput.isEmpty()) {
        const ssize_t sent = ::send(m_inputFd.get(), m_pendingInput.constData(), size_t(m_pendingInput.size()),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            m_pendingInput.remove(0, sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_inputNotifier->setEnabled(true);
            return;
        }
        dropInput(); // the child no longer reads: what it did not take, it never gets
        return;
    }
    if (m_inputNotifier)
        m_inputNotifier->setEnabled(false);
    if (m_inputClosing)
        dropInput();
}

void SpawnedProcessRunner::dropInput()
{
    stopWatching(m_inputNotifier, m_inputFd);
    m_pendingInput.clear();
}

bool SpawnedProcessRunner::readOutput()
{
    QPointer<SpawnedProcessRunner> self(this);
    char buffer[16384];
    qsizetype lines = 0;
    while (m_outputFd.valid()) {
        const ssize_t got = ::read(m_outputFd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                dropOutput(); // every writer has closed it
            else
                holdOutput(lines);
            return true;
        }
        m_partialLine.append(buffer, got);
        qsizetype start = 0;
        qsizetype end = 0;
        while ((end = m_partialLine.indexOf('\n', start)) >= 0) {
            const QByteArray line = m_partialLine.mid(start, end - start);
            start = end + 1;
            ++lines;
            deliverLine(line);
            if (!self)
                return false;
            if (!m_outputFd.valid())
                return true;
        }
        m_partialLine.remove(0, start);
    }
    return true;
}

void SpawnedProcessRunner::holdOutput(qsizetype lines)
{
    if (lines == 0 || !m_outputNotifier)
        return;
    if (m_processor)
        m_processor->follow();
    const bool first = !m_sinceLastLines.isValid();
    const double gapMs = first ? -1 : double(m_sinceLastLines.nsecsElapsed()) / 1e6 / double(lines);
    m_sinceLastLines.start();
    if (gapMs < 0)
        return;
    m_lineGapMs = m_lineGapMs < 0 ? gapMs : (3 * m_lineGapMs + gapMs) / 4;
    const int holdMs = int(std::min(double(kMaxHoldMs), kHeldGaps * m_lineGapMs));
    if (holdMs < 1)
        return;
    m_outputNotifier->setEnabled(false);
    m_outputHold->start(holdMs);
}

void SpawnedProcessRunner::dropOutput()
{
    if (m_outputHold)
        m_outputHold->stop();
    stopWatching(m_outputNotifier, m_outputFd);
    m_partialLine.clear(); // a line cut off by the child's end says nothing
}

void SpawnedProcessRunner::readErrors(bool final)
{
    char buffer[4096];
    while (m_errorFd.valid()) {
        const ssize_t got = ::read(m_errorFd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                stopWatching(m_errorNotifier, m_errorFd);
            break;
        }
        m_partialError.append(buffer, got);
        qsizetype start = 0;
        qsizetype end = 0;
        while ((end = m_partialError.indexOf('\n', start)) >= 0) {
            platform::log(NativePath::decode(m_partialError.mid(start, end - start)));
            start = end + 1;
        }
        m_partialError.remove(0, start);
    }
    if (final) {
        if (!m_partialError.isEmpty())
            platform::log(NativePath::decode(m_partialError));
        m_partialError.clear();
        stopWatching(m_errorNotifier, m_errorFd);
    }
}

void SpawnedProcessRunner::stopWatching(QSocketNotifier *&notifier, base::Descriptor &fd)
{
    // Off before its descriptor closes, or the event loop would go on polling a closed one.
    if (notifier) {
        notifier->setEnabled(false);
        notifier->disconnect(this);
        notifier->deleteLater();
        notifier = nullptr;
    }
    fd.reset();
}

void SpawnedProcessRunner::watchChild()
{
    m_pidFd.reset(int(::syscall(SYS_pidfd_open, m_pid, 0)));
    if (m_pidFd.valid()) {
        auto *notifier = new QSocketNotifier(qintptr(m_pidFd.get()), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { reap(); });
        m_watcher = notifier;
        return;
    }
    // Kernels before 5.3 have no process descriptors: look now and then instead.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { reap(); });
    timer->start(20);
    m_watcher = timer;
}

bool SpawnedProcessRunner::reap()
{
    int status = 0;
    const pid_t done = ChildProcess::wait(m_pid, &status, WNOHANG);
    if (done == 0)
        return false;
    m_pid = -1;
    m_processor.reset(); // the thread's own processors back
    if (m_watcher) {
        // Off before its descriptor closes, or the event loop would go on polling a closed one.
        if (auto *notifier = qobject_cast<QSocketNotifier *>(m_watcher))
            notifier->setEnabled(false);
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    m_pidFd.reset();
    // What the child wrote before it ended is handed over before its end; a process it left
    // behind may hold the pipe open, so only what is there now is read.
    dropInput();
    readErrors(true);
    QPointer<SpawnedProcessRunner> self(this);
    if (!readOutput() || !self)
        return true;
    dropOutput();
    int code = 255; // collected by someone else: its status is unknown, so it is no success
    if (done > 0 && WIFEXITED(status))
        code = WEXITSTATUS(status);
    else if (done > 0 && WIFSIGNALED(status))
        code = 128 + WTERMSIG(status);
    postTermination(false, code);
    return true;
}

void SpawnedProcessRunner::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}
