#include "NSFileManagerUtils.h"

#include "FileObj.h"

#include <QDir>
#include <QFileInfo>

bool NSFileManagerUtils::isSolidState(const char *path)
{
    (void)path;
    return false;
}

quint64 NSFileManagerUtils::fileSize(const QString &path)
{
    return quint64(QFileInfo(path).size());
}

bool NSFileManagerUtils::isFileSymbolicLink(const QString &path)
{
    return FileObj::isFileSymbolicLink(path);
}

bool NSFileManagerUtils::createDirectoryAtPathWithIntermediateDirectories(const QString &path,
                                                                          const QVariantMap &attributes)
{
    (void)attributes;
    QDir().mkpath(path);
    return true;
}
