#pragma once

#include <QString>

#include <sys/types.h>

// Recognises "/" however it is written or reached. Handing the root folder to the eraser would
// destroy the whole system, so every road that takes paths asks here first.
class RootFolder
{
public:
    // Whether the path, cleaned of ".", ".." and repeated slashes, is "/", or whether what it names
    // (following links: a link to "/" counts) is the root folder itself.
    static bool isRootPath(const QString &path);
    // Whether this device and inode are those of "/".
    static bool isRoot(dev_t device, ino_t inode);
};
