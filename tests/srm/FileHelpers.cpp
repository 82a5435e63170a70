#include "FileHelpers.h"

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
