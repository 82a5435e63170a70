#pragma once

#include <QString>

// The inode's immutable attribute (FS_IMMUTABLE_FL): a file that carries it cannot be written,
// renamed or removed, not even by root, until the attribute is cleared.
class ImmutableFlag
{
public:
    // False for links, missing paths and file systems without the attribute.
    static bool isSet(const QString &path);
    // Clears the attribute if it is set; true when the file no longer carries it.
    static bool clear(const QString &path);
    // The same for the entry name in an open folder, so that no folder on the way is looked up again.
    static bool clear(int folderFd, const char *name);
};
