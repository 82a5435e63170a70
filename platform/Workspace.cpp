#include "platform/Workspace.h"

#include "platform/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <cerrno>
#include <vector>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

Workspace *&overrideInstance()
{
    static Workspace *instance = nullptr;
    return instance;
}

bool isExecutableFile(const QFileInfo &info)
{
    return info.isFile() && info.isExecutable();
}

} // namespace

Workspace &Workspace::sharedWorkspace()
{
    if (Workspace *test = overrideInstance())
        return *test;
    static Workspace workspace;
    return workspace;
}

void Workspace::setSharedWorkspaceOverride(Workspace *workspace)
{
    overrideInstance() = workspace;
}

QString Workspace::executableForBundle(const QString &bundlePath)
{
    const Bundle bundle(bundlePath);
    const QDir folder(bundle.executableFolder());
    QString name = QFileInfo(bundle.bundlePath()).fileName();
    if (name.endsWith(QStringLiteral(".app")))
        name.chop(4);
    const QFileInfo named(folder.filePath(name));
    if (!name.isEmpty() && isExecutableFile(named))
        return named.absoluteFilePath();

    // A nested bundle in the same folder is a folder, not a candidate.
    QString only;
    const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!isExecutableFile(entry))
            continue;
        if (!only.isEmpty())
            return QString();
        only = entry.absoluteFilePath();
    }
    return only;
}

bool Workspace::launchApplication(const QString &appPath)
{
    if (appPath.isEmpty())
        return false;
    const QFileInfo info(appPath);
    QString program;
    if (info.isDir())
        program = executableForBundle(info.absoluteFilePath());
    else if (isExecutableFile(info))
        program = info.absoluteFilePath();
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, QStringList(), QFileInfo(program).absolutePath());
}

namespace {

// The person pkexec acted for; 0 when we are not root on someone's behalf.
uid_t invokingUid()
{
    if (::geteuid() != 0)
        return 0;
    bool ok = false;
    const uint uid = qEnvironmentVariable("PKEXEC_UID").toUInt(&ok);
    return ok ? uid_t(uid) : 0;
}

} // namespace

bool Workspace::startAsInvokingUser(const QString &program, const QStringList &arguments)
{
    const uid_t uid = invokingUid();
    if (uid == 0)
        return QProcess::startDetached(program, arguments);

    const passwd *entry = ::getpwuid(uid);
    if (!entry)
        return false;
    const gid_t gid = entry->pw_gid;
    const QByteArray userName(entry->pw_name);
    const QByteArray home(entry->pw_dir);

    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    QByteArray homeVar = "HOME=" + home;
    QByteArray userVar = "USER=" + userName;
    QByteArray logVar = "LOGNAME=" + userName;
    int groupCount = 64;
    std::vector<gid_t> groups(static_cast<size_t>(groupCount));
    if (::getgrouplist(userName.constData(), gid, groups.data(), &groupCount) < 0) {
        groups.resize(size_t(groupCount));
        if (::getgrouplist(userName.constData(), gid, groups.data(), &groupCount) < 0)
            groupCount = 0;
    }

    int status = 0;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The intermediate child leaves at once so the helper is not ours to reap.
        if (::fork() != 0)
            ::_exit(0);
        ::setsid();
        if (::setgroups(size_t(groupCount), groups.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(127);
        ::putenv(homeVar.data());
        ::putenv(userVar.data());
        ::putenv(logVar.data());
        ::unsetenv("PKEXEC_UID");
        if (::chdir(home.constData()) != 0 && ::chdir("/") != 0)
            ::_exit(127);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Workspace::openURL(const QString &url)
{
    if (url.isEmpty() || !QUrl(url).isValid())
        return false;
    return startAsInvokingUser(QStringLiteral("xdg-open"), {url});
}

bool Workspace::openFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    return startAsInvokingUser(QStringLiteral("xdg-open"), {QFileInfo(path).absoluteFilePath()});
}

bool Workspace::selectFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    const QFileInfo info(path);
    // The file-manager interface on the session bus selects the item; where there is none, its
    // folder opens.
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    const QString dbusSend = QStringLiteral("dbus-send");
    const bool shown = startAsInvokingUser(dbusSend,
        {QStringLiteral("--session"), QStringLiteral("--type=method_call"),
         QStringLiteral("--dest=org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
         QStringLiteral("org.freedesktop.FileManager1.ShowItems"), QStringLiteral("array:string:") + uri,
         QStringLiteral("string:")});
    if (shown)
        return true;
    return startAsInvokingUser(QStringLiteral("xdg-open"), {info.absolutePath()});
}
