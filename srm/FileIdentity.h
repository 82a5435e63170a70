#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace srm {

// What an open descriptor refers to: its inode, and the mount it was reached through. Bind mounts
// share the device number of what they show, so only the mount id tells them apart.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    nlink_t links = 0;
    std::uint64_t size = 0;
    std::uint64_t mount = 0;
    bool knowsMount = false;
    // The kernel (6.8 and later) gave the mount's id that is never given to another mount while the
    // machine runs, rather than the short one a later mount may get once this one is gone.
    bool mountUnique = false;

    // False with errno set when the descriptor cannot be examined.
    static bool of(int fd, FileIdentity &identity);
    // The identity of the entry behind a path, following nothing (the root folder, say).
    static bool ofPath(const char *path, FileIdentity &identity);

    bool sameInode(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
    bool sameInode(const struct stat &info) const { return device == info.st_dev && inode == info.st_ino; }
    // Whether both were reached through one mount (the device decides where the kernel cannot say).
    // Ids of the two kinds never match: one kernel gives one kind, so a mix means something is off.
    bool sameMount(const FileIdentity &other) const
    {
        if (knowsMount && other.knowsMount)
            return mountUnique == other.mountUnique && mount == other.mount;
        return device == other.device;
    }
};

// Changes the mode of the entry that was examined (expected), never of what a link put in its place
// points to: the entry is opened without following anything and checked before its mode changes.
bool changeModeOfEntry(int dirFd, const std::string &name, const struct stat &expected, mode_t mode);

} // namespace srm
