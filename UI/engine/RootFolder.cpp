#include "RootFolder.h"

#include "platform/NativePath.h"

#include <QDir>

#include <sys/stat.h>

bool RootFolder::isRootPath(const QString &path)
{
    if (QDir::cleanPath(path) == QStringLiteral("/"))
        return true;
    const std::optional<QByteArray> bytes = NativePath::encode(path);
    struct stat info
    {
    };
    return bytes && ::stat(bytes->constData(), &info) == 0 && isRoot(info.st_dev, info.st_ino);
}

bool RootFolder::isRoot(dev_t device, ino_t inode)
{
    struct stat root
    {
    };
    return ::stat("/", &root) == 0 && root.st_dev == device && root.st_ino == inode;
}
