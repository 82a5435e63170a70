#include "FileIdentity.h"

#include "base/Descriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/sysmacros.h>

namespace srm {

using base::Descriptor;

namespace {

// Not in every set of headers yet: the mount id never reused while the machine runs (Linux 6.8).
// A kernel that does not know it gives the short id, as STATX_MNT_ID asks.
constexpr unsigned kStatxUniqueMountId = 0x4000U;

// Kernels before statx learnt the mount id still print it among a descriptor's details.
bool mountIdFromProc(int fd, std::uint64_t &mount)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fdinfo/%d", fd);
    std::FILE *info = std::fopen(path, "re");
    if (!info)
        return false;
    char line[256];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, info)) {
        unsigned long long value = 0;
        if (std::sscanf(line, "mnt_id: %llu", &value) == 1) {
            mount = value;
            found = true;
        }
    }
    std::fclose(info);
    return found;
}

} // namespace

bool FileIdentity::of(int fd, FileIdentity &identity)
{
    struct statx info
    {
    };
    if (::statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT,
                STATX_BASIC_STATS | STATX_MNT_ID | kStatxUniqueMountId, &info) != 0) {
        struct stat plain
        {
        };
        if (::fstat(fd, &plain) != 0)
            return false;
        identity.device = plain.st_dev;
        identity.inode = plain.st_ino;
        identity.mode = plain.st_mode;
        identity.links = plain.st_nlink;
        identity.size = std::uint64_t(plain.st_size);
        identity.mountUnique = false;
        identity.knowsMount = mountIdFromProc(fd, identity.mount);
        return true;
    }
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.mode = info.stx_mode;
    identity.links = info.stx_nlink;
    identity.size = info.stx_size;
    identity.mountUnique = (info.stx_mask & kStatxUniqueMountId) != 0;
    identity.knowsMount = (info.stx_mask & (STATX_MNT_ID | kStatxUniqueMountId)) != 0;
    if (identity.knowsMount)
        identity.mount = info.stx_mnt_id;
    else
        identity.knowsMount = mountIdFromProc(fd, identity.mount);
    return true;
}

bool FileIdentity::ofPath(const char *path, FileIdentity &identity)
{
    const Descriptor entry(::open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    return entry.valid() && of(entry.get(), identity);
}

bool changeModeOfEntry(int dirFd, const std::string &name, const struct stat &expected, mode_t mode)
{
    const Descriptor entry(::openat(dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!entry.valid())
        return false;
    struct stat seen
    {
    };
    if (::fstat(entry.get(), &seen) != 0)
        return false;
    if (S_ISLNK(seen.st_mode) || seen.st_dev != expected.st_dev || seen.st_ino != expected.st_ino) {
        errno = ESTALE;
        return false;
    }
    // fchmod refuses a path-only descriptor; its entry under /proc reaches exactly the inode it holds.
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", entry.get());
    return ::chmod(path, mode) == 0;
}

} // namespace srm
