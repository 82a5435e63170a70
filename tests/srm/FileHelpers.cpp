#include "FileHelpers.h"

#include <QProcess>

#include <QFile>

#include <sys/stat.h>

QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray listed(const QByteArray &path, unsigned names)
{
    struct stat info
    {
    };
    if (::lstat(path.constData(), &info) != 0)
        info = {};
    return QByteArray::number(quint64(info.st_dev)) + ' ' + QByteArray::number(quint64(info.st_ino)) + ' ' +
           QByteArray::number(names) + ' ' + path;
}

bool existsNoFollow(const QByteArray &path)
{
    struct stat info
    {
    };
    return ::lstat(path.constData(), &info) == 0;
}

bool existsNoFollow(const QString &path)
{
    return existsNoFollow(QFile::encodeName(path));
}

bool changeAttributes(const QString &path, const QString &change)
{
    QProcess chattr;
    chattr.start(QStringLiteral("chattr"), {change, path});
    return chattr.waitForFinished(10000) && chattr.exitStatus() == QProcess::NormalExit && chattr.exitCode() == 0;
}

QString attributesOf(const QString &path)
{
    QProcess lsattr;
    lsattr.start(QStringLiteral("lsattr"), {QStringLiteral("-d"), path});
    if (!lsattr.waitForFinished(10000) || lsattr.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(lsattr.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
}
