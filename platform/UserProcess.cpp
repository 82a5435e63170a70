#include "platform/UserProcess.h"

#include "platform/ChildProcess.h"
#include "platform/InvokingUser.h"
#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

struct UserProcess::Prepared
{
    QString program; // for the log
    ChildProcess::Vector argv;
    ChildProcess::Vector envp;
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    QByteArray home;
};

namespace {

// Locale variables pass on when they are plain text; everything else of ours stays behind.
bool isPlainLocaleValue(const QByteArray &value)
{
    if (value.isEmpty() || value.size() > 256)
        return false;
    for (const char c : value) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-' || c == '@' ||
              c == ':'))
            return false;
    }
    return true;
}

std::vector<QByteArray> personsEnvironment(const InvokingUser &person)
{
    std::vector<QByteArray> entries;
    entries.push_back("HOME=" + QFile::encodeName(person.home()));
    entries.push_back("USER=" + person.name());
    entries.push_back("LOGNAME=" + person.name());
    entries.push_back("PATH=/usr/local/bin:/usr/bin:/bin");
    for (const char *name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_CTYPE"}) {
        const QByteArray value = qgetenv(name);
        if (isPlainLocaleValue(value))
            entries.push_back(QByteArray(name) + '=' + value);
    }
    for (const auto &[name, value] : InvokingUser::sessionValues())
        entries.push_back(name + '=' + value);
    return entries;
}

// After fork() in a process that may have threads: async-signal-safe calls only.
[[noreturn]] void execPrepared(const UserProcess::Prepared &p, int reportFd)
{
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGCHLD, SIG_DFL);
    if (p.switchUser) {
        if (::setgroups(p.groups.size(), p.groups.data()) != 0 || ::setgid(p.gid) != 0 ||
            ::setuid(p.uid) != 0 || ::getuid() != p.uid || ::geteuid() != p.uid || ::setuid(0) == 0) {
            const int error = errno ? errno : EPERM;
            ssize_t ignored = ::write(reportFd, &error, sizeof error);
            (void)ignored;
            ::_exit(127);
        }
        if (::chdir(p.home.constData()) != 0 && ::chdir("/") != 0)
            ::_exit(127);
        ::execve(p.argv.data()[0], p.argv.data(), p.envp.data());
    } else {
        ::execve(p.argv.data()[0], p.argv.data(), environ);
    }
    const int error = errno;
    ssize_t ignored = ::write(reportFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

// True when the child executed its program: the report pipe closes by itself on exec.
bool executed(int reportFd)
{
    int error = 0;
    ssize_t got;
    do {
        got = ::read(reportFd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == 0;
}

} // namespace

UserProcess::UserProcess(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return;
    QString path = program;
    if (!QFileInfo(path).isAbsolute())
        path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        platform::log(QStringLiteral("Cannot start %1: it is not installed").arg(program));
        return;
    }
    std::optional<ChildProcess::Vector> argv = ChildProcess::arguments(path, arguments);
    if (!argv) {
        platform::log(
            QStringLiteral("Not starting %1: an argument cannot be carried byte for byte").arg(program));
        return;
    }
    auto prepared = std::make_shared<Prepared>();
    prepared->program = path;
    prepared->argv = std::move(*argv);
    if (::geteuid() == 0) {
        const std::optional<InvokingUser> person = InvokingUser::find();
        if (!person) {
            platform::log(QStringLiteral("Not starting %1 as root: the person it is meant for is not known")
                              .arg(program));
            return;
        }
        prepared->switchUser = true;
        prepared->uid = person->uid();
        prepared->gid = person->gid();
        prepared->groups = person->groups();
        prepared->home = QFile::encodeName(person->home());
        prepared->envp = ChildProcess::Vector(personsEnvironment(*person));
    }
    m_prepared = std::move(prepared);
}

bool UserProcess::isValid() const
{
    return m_prepared != nullptr;
}

bool UserProcess::reachesSessionBus()
{
    if (::geteuid() != 0)
        return true;
    const auto values = InvokingUser::sessionValues();
    return std::any_of(values.cbegin(), values.cend(), [](const QPair<QByteArray, QByteArray> &entry) {
        return entry.first == "DBUS_SESSION_BUS_ADDRESS";
    });
}

bool UserProcess::startDetached() const
{
    if (!m_prepared)
        return false;
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
        // The intermediate leaves at once, so the program is nobody's to reap but init's.
        const pid_t program = ::fork();
        if (program == 0)
            execPrepared(*m_prepared, report[1]);
        ::_exit(program < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    const pid_t waited = ChildProcess::wait(first, &status, 0);
    const bool forked = waited < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const bool ran = executed(report[0]);
    ::close(report[0]);
    if (!forked || !ran)
        platform::log(QStringLiteral("Could not start %1").arg(m_prepared->program));
    return forked && ran;
}

int UserProcess::run(int timeoutMs) const
{
    if (!m_prepared)
        return -1;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return -1;
    }
    if (child == 0)
        execPrepared(*m_prepared, report[1]);
    ::close(report[1]);
    const bool ran = executed(report[0]);
    ::close(report[0]);

    int status = 0;
    const timespec pause{0, 10 * 1000 * 1000};
    for (int waitedMs = 0;; waitedMs += 10) {
        const pid_t done = ChildProcess::wait(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0)
            return -1;
        if (waitedMs >= timeoutMs) {
            ::kill(child, SIGKILL);
            ChildProcess::wait(child, &status, 0);
            platform::log(QStringLiteral("%1 did not answer in time").arg(m_prepared->program));
            return -1;
        }
        ::nanosleep(&pause, nullptr);
    }
    if (!ran || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
