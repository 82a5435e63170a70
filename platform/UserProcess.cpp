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

// After fork() in a process that may have threads: async-signal-safe calls only. Returns the
// errno when the program could not be executed.
int execPrepared(const void *context)
{
    const auto &p = *static_cast<const UserProcess::Prepared *>(context);
    ChildProcess::resetSignals();
    if (p.switchUser) {
        if (!ChildProcess::becomeUser(p.uid, p.gid, p.groups))
            return errno ? errno : EPERM;
        if (::chdir(p.home.constData()) != 0 && ::chdir("/") != 0)
            ::_exit(127);
        ::execve(p.argv.data()[0], p.argv.data(), p.envp.data());
    } else {
        ::execve(p.argv.data()[0], p.argv.data(), environ);
    }
    return errno;
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
    const bool started = ChildProcess::startDetached(execPrepared, m_prepared.get());
    if (!started)
        platform::log(QStringLiteral("Could not start %1").arg(m_prepared->program));
    return started;
}

int UserProcess::run(int timeoutMs) const
{
    if (!m_prepared)
        return -1;
    const pid_t child = ChildProcess::start(execPrepared, m_prepared.get());
    if (child < 0)
        return -1;

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
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
