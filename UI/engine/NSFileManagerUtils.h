#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// File-system helpers: solid-state detection, logical sizes of files and folders, and a folder
// maker that creates missing parents.
class NSFileManagerUtils
{
public:
    // Whether the path lies on a solid-state drive: the block device behind the path's file system
    // (or a device under it: partition to disk, device-mapper and md devices to their members)
    // reports itself as not rotational within nine steps.
    static bool isSolidState(const char *path);

    // Logical size in bytes: of a link itself, of a file, or of everything below a folder.
    static quint64 fileSize(const QString &path);
    // Here a path plays the part of a file-system reference; an empty result means no item.
    static std::optional<QString> convertStringToFSRef(const QString &path);
    static quint64 fastFolderSizeAtFSRef(const QString &ref);
    static bool isFileSymbolicLink(const QString &path);
    // Creates the folder and any missing parents; "NSFilePosixPermissions" in the attributes sets
    // the new folders' mode. Always answers true.
    static bool createDirectoryAtPathWithIntermediateDirectories(const QString &path,
                                                                 const QVariantMap &attributes);

    // Where sysfs is read from (tests build fake trees); an empty path restores "/sys".
    static void setSysfsRoot(const QString &root);
    static QString sysfsRoot();
    // The device-number part of isSolidState, for tests that cannot choose a path's device.
    static bool isSolidStateDevice(unsigned major, unsigned minor);
};
