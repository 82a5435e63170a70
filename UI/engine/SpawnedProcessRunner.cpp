#include "SpawnedProcessRunner.h"

#include "platform/NativePath.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Waits briefly for a killed child, so that none is left behind as a zombie or still running.
void collectKilled(pid_t pid)
{
    for (int i = 0; i < 500; ++i) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return;
        ::usleep(10000);
    }
}

} // namespace

SpawnedProcessRunner::~SpawnedProcessRunner()
{
    // Never leave a child behind, and never post from a half-destroyed runner.
    delete m_watcher;
    m_watcher = nullptr;
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        collectKilled(m_pid);
    }
    if (m_pidFd >= 0)
        ::close(m_pidFd);
}

bool SpawnedProcessRunner::launch(const QString &program, const QStringList &arguments)
{
    if (m_pid > 0)
        return false;
    std::vector<QByteArray> storage;
    const std::optional<QByteArray> path = NativePath::encode(program);
    struct stat info
    {
    };
    if (!path || path->isEmpty() || ::stat(path->constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::access(path->constData(), X_OK) != 0)
        return false;
    storage.push_back(*path);
    for (const QString &argument : arguments) {
        const std::optional<QByteArray> bytes = NativePath::encode(argument);
        if (!bytes)
            return false;
        storage.push_back(*bytes);
    }
    std::vector<char *> argv;
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
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
    const int result = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        return false; // the C library reports a failed exec here and has collected that child
    m_pid = pid;
    watchChild();
    return true;
}

void SpawnedProcessRunner::watchChild()
{
    m_pidFd = int(::syscall(SYS_pidfd_open, m_pid, 0));
    if (m_pidFd >= 0) {
        auto *notifier = new QSocketNotifier(qintptr(m_pidFd), QSocketNotifier::Read, this);
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
    pid_t done = -1;
    do {
        done = ::waitpid(m_pid, &status, WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done == 0)
        return false;
    m_pid = -1;
    if (m_watcher) {
        // Off before its descriptor closes, or the event loop would go on polling a closed one.
        if (auto *notifier = qobject_cast<QSocketNotifier *>(m_watcher))
            notifier->setEnabled(false);
        m_watcher->disconnect(this);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    if (m_pidFd >= 0) {
        ::close(m_pidFd);
        m_pidFd = -1;
    }
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
