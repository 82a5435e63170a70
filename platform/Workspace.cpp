#include "platform/Workspace.h"

#include "platform/Bundle.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "platform/UserProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kFileManagerReplyTimeoutMs = 10000;

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
    struct Start
    {
        std::optional<ChildProcess::Vector> argv;
        std::optional<QByteArray> folder;
    };
    const Start start{ChildProcess::arguments(program, {}), NativePath::encode(QFileInfo(program).absolutePath())};
    if (!start.argv || !start.folder)
        return false;
    return ChildProcess::startDetached(
        [](const void *context) {
            const auto &s = *static_cast<const Start *>(context);
            ChildProcess::resetSignals();
            if (::chdir(s.folder->constData()) != 0)
                return errno;
            ::execve(s.argv->data()[0], s.argv->data(), environ);
            return errno;
        },
        &start);
}

bool Workspace::startAsInvokingUser(const QString &program, const QStringList &arguments)
{
    return UserProcess(program, arguments).startDetached();
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
    // The file manager's own interface selects the item; only its answer tells whether one is
    // there to do so, and without one the folder opens instead.
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    const UserProcess ask(UserProcess::reachesSessionBus() ? QStringLiteral("dbus-send") : QString(),
                          {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                           QStringLiteral("--reply-timeout=%1").arg(kFileManagerReplyTimeoutMs),
                           QStringLiteral("--dest=org.freedesktop.FileManager1"),
                           QStringLiteral("/org/freedesktop/FileManager1"),
                           QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                           QStringLiteral("array:string:") + uri, QStringLiteral("string:")});
    const UserProcess open(QStringLiteral("xdg-open"), {info.absolutePath()});
    if (!ask.isValid() && !open.isValid())
        return false;
    // The answer may take a file manager's start-up; the window stays responsive meanwhile.
    std::thread([ask, open] {
        if (!ask.isValid() || ask.run(kFileManagerReplyTimeoutMs + 1000) != 0)
            open.startDetached();
    }).detach();
    return true;
}
