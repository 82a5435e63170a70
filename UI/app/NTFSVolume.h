#pragma once

#include <QString>

// What the volume holding a path really is, as far as adding items cares: NTFS is refused,
// whichever driver mounted it. The kernel's ntfs3 (and the older ntfs) name themselves; ntfs-3g
// mounts through FUSE and shows only "fuseblk", so there the block device's own file system decides.
class NTFSVolume
{
public:
    NTFSVolume() = delete;

    struct Mount
    {
        QString type;   // the mount's file-system type ("ext4", "ntfs3", "fuseblk", ...)
        QString device; // the block device behind it, empty when there is none
        bool readOnly = false;
    };

    // The mount holding path, as the mount table says; an empty type when it cannot be found.
    static Mount mountOf(const QString &path);
    // Whether the mount is NTFS.
    static bool isNTFS(const Mount &mount);
    // Whether a type name names NTFS ("ntfs", "ntfs3", "fuse.ntfs-3g", "NTFS", and the names
    // containing "lifs" of a commercial NTFS driver).
    static bool isNTFSTypeName(const QString &type);
    // Whether the block device holds NTFS: its boot sector's name, else udev's record of it. False
    // for anything that is not a block device or cannot be read.
    static bool deviceHoldsNTFS(const QString &device);
};
