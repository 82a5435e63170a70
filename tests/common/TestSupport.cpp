#include "TestSupport.h"

#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>

namespace testsupport {

struct LogCapture::Shared
{
    QMutex mutex;
    QStringList lines;
};

LogCapture::LogCapture() : m_shared(std::make_shared<Shared>())
{
    auto shared = m_shared;
    m_previous = platform::setLogSink([shared](const QString &line) {
        QMutexLocker lock(&shared->mutex);
        shared->lines.append(line);
    });
}

LogCapture::~LogCapture()
{
    platform::setLogSink(m_previous);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->lines;
}

bool LogCapture::contains(const QString &text) const
{
    const QStringList all = lines();
    for (const QString &line : all) {
        if (line.contains(text))
            return true;
    }
    return false;
}

TempBundle::TempBundle(const QString &name)
{
    m_bundlePath = m_dir.path() + QLatin1Char('/') + name;
    QDir().mkpath(m_bundlePath + QStringLiteral("/Contents/MacOS"));
    QDir().mkpath(m_bundlePath + QStringLiteral("/Contents/Resources"));
    Bundle::setMainBundleOverride(m_bundlePath);
}

TempBundle::~TempBundle()
{
    Bundle::setMainBundleOverride(QString());
}

QString TempBundle::resourcePath() const
{
    return m_bundlePath + QStringLiteral("/Contents/Resources");
}

QString TempBundle::copyBuiltResource(const QString &fileName) const
{
    const QString target = resourcePath() + QLatin1Char('/') + fileName;
    QFile::remove(target);
    // The history comes from the pristine copy: the bundle's own may hold the runs of a person who
    // tried the program from the build folder.
    const QString source = fileName == QLatin1String("DataBase.db")
                               ? QStringLiteral(NULLWELL_PRISTINE_DATABASE)
                               : QStringLiteral(NULLWELL_RESOURCES) + QLatin1Char('/') + fileName;
    QFile::copy(source, target);
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    return target;
}

QString TempBundle::writeResource(const QString &fileName, const QByteArray &content) const
{
    const QString target = resourcePath() + QLatin1Char('/') + fileName;
    QFile file(target);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return target;
}

QByteArray standInTool(const QByteArray &body, const QByteArray &atStart, const QByteArray &atEnd)
{
    return "#!/bin/bash\n"
           "export LC_ALL=C\n"
           "flag=\"$1\"\n" +
           atStart +
           "\nn=0\n"
           "while IFS= read -r -d '' record; do\n"
           "    path=\"${record#* * * }\"\n"
           "    if ( set -- \"$flag\" \"$path\"\n" +
           body +
           "\n) >&2; then echo \"$n ok\"; else echo \"$n fail status $?\"; fi\n"
           "    n=$((n + 1))\n"
           "done\n" +
           atEnd + "\n";
}

QString previewFolder(const QString &kind)
{
    QString base = qEnvironmentVariable("NULLWELL_PREVIEW_DIR");
    if (base.isEmpty())
        base = QDir::temp().filePath(QStringLiteral("nullwell-previews"));
    const QString folder = QDir(base).filePath(kind);
    QDir().mkpath(folder);
    return folder;
}

QString writeFileAt(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

} // namespace testsupport
