#include "platform/Workspace.h"

#include "platform/Bundle.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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
