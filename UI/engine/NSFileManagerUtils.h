#pragma once

#include <QString>
#include <QVariantMap>

// File-system helpers: solid-state detection, logical sizes of files and folders, and a folder
// maker that creates missing parents.
class NSFileManagerUtils
{
public:
    // Whether the path lies on a solid-state drive (sysfs: the block device behind the path's
    // file system, and the devices under it, report themselves as not rotational).
    static bool isSolidState(const char *path);
    static quint64 fileSize(const QString &path);
    static bool isFileSymbolicLink(const QString &path);
    static bool createDirectoryAtPathWithIntermediateDirectories(const QString &path, const QVariantMap &attributes);
};
