#pragma once

#include "FileObj.h"
#include "NTFSVolume.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QFileInfo;
class SolidStateCache;
struct stat;

// Turns the paths the person chose (from the open panel or a drop) into file-list items: each
// path once, "/" never, and nothing at all from an NTFS volume.
class FileListAdder
{
public:
    FileListAdder() = delete;

    // The file-system type of the volume holding a path ("ext4", "ntfs3", "fuseblk", ...); empty
    // when it cannot be found.
    using FileSystemTypeSource = std::function<QString(const QString &path)>;

    struct Outcome
    {
        enum Kind { Added, OnNTFS, RefusedRoot };
        Kind kind = Added;
        // For OnNTFS: whether the volume's mount is read-only.
        bool readOnly = false;
    };

    // Adds the paths to the list unless the first lies on NTFS (then nothing is added). "/" stops
    // the adding where it stands: the paths before it stay added.
    static Outcome add(FileObjList &list, const QStringList &paths);
    // The paths not yet listed, appended to the list; false when "/" stopped it.
    static bool addPaths(FileObjList &list, const QStringList &paths);

    // The list item for a path as it stands on disk.
    static FileObjPtr buildFileObj(const QString &path, bool isDir);

    // The mount of the volume holding path when it is NTFS (decided from the mount's type and,
    // for FUSE mounts, its block device); nothing otherwise.
    static std::optional<NTFSVolume::Mount> ntfsVolumeForPath(const QString &path);
    static void setFileSystemTypeSource(FileSystemTypeSource source);
    static QString fileSystemTypeForPath(const QString &path);
    // One log line on the volume the open panel's first choice lies on.
    static void logVolumeOf(const QString &path);

private:
    static FileObjPtr buildItem(const QString &path, bool isDir, const struct stat *disk,
                                SolidStateCache &solidState);
    static QIcon iconFor(const QFileInfo &info, bool isDir);
};
