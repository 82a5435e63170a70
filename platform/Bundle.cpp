#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace {

QMutex &overrideMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &overridePath()
{
    static QString path;
    return path;
}

QString runningExecutable()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

} // namespace

Bundle::Bundle(QString bundlePath) : m_path(std::move(bundlePath))
{
    while (m_path.size() > 1 && m_path.endsWith(QLatin1Char('/')))
        m_path.chop(1);
}

Bundle Bundle::mainBundle()
{
    {
        QMutexLocker lock(&overrideMutex());
        if (!overridePath().isEmpty())
            return Bundle(overridePath());
    }
    return Bundle(bundlePathForExecutable(runningExecutable()));
}

void Bundle::setMainBundleOverride(const QString &bundlePath)
{
    QMutexLocker lock(&overrideMutex());
    overridePath() = bundlePath;
}

QString Bundle::bundlePathForExecutable(const QString &executablePath)
{
    // Pure path arithmetic: the folders need not exist yet.
    return QDir::cleanPath(QFileInfo(executablePath).absolutePath() + QStringLiteral("/../.."));
}

QString Bundle::contentsPath() const
{
    return m_path + QStringLiteral("/Contents");
}

QString Bundle::executableFolder() const
{
    return contentsPath() + QStringLiteral("/MacOS");
}

QString Bundle::resourcePath() const
{
    return contentsPath() + QStringLiteral("/Resources");
}

QString Bundle::pathForResource(const QString &name, const QString &type) const
{
    if (name.isEmpty())
        return QString();
    QString file = name;
    if (!type.isEmpty())
        file += QLatin1Char('.') + type;
    const QString path = resourcePath() + QLatin1Char('/') + file;
    return QFileInfo::exists(path) ? path : QString();
}
