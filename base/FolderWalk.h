#pragma once

#include "base/Descriptor.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace base {

// Walking down folders without following a single link, for the tool, the program and its platform
// layer alike: a folder swapped for a link after a path was written down stops the walk instead of
// leading elsewhere.

// How far a walk got. On success `folder` is the last folder; otherwise it is the folder in which
// the name at `stoppedAt` could not be opened, and `error` is why (ELOOP when that name is a link
// the kernel handed back instead of refusing).
struct FolderWalk
{
    Descriptor folder;
    std::size_t stoppedAt = 0;
    int error = 0;
    bool done = false;
};

// A folder below another, never a link. `flags` adds O_PATH or O_RDONLY. With O_PATH the kernel
// may hand back the link itself instead of refusing it: that counts as refused, with ELOOP.
inline Descriptor openFolderBelow(int folder, const char *name, int flags)
{
    Descriptor next(::openat(folder, name, flags | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.valid() && (flags & O_PATH) != 0) {
        struct stat info
        {
        };
        if (::fstat(next.get(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            next.reset();
            errno = ELOOP;
        }
    }
    return next;
}

// Opens each of `names` (a list of byte strings) below the one before, starting at `start`. When a
// name cannot be opened, `retry(folder, name, error)` may hand back a folder in its place (one it
// made, say); an invalid one stops the walk with errno as its error.
template <typename Names, typename Retry>
FolderWalk walkFolders(Descriptor start, const Names &names, int flags, Retry &&retry)
{
    FolderWalk walk;
    walk.folder = std::move(start);
    if (!walk.folder.valid()) {
        walk.error = errno;
        return walk;
    }
    for (; walk.stoppedAt < std::size_t(names.size()); ++walk.stoppedAt) {
        const auto &name = names[walk.stoppedAt];
        Descriptor next = openFolderBelow(walk.folder.get(), name.data(), flags);
        if (!next.valid())
            next = retry(walk.folder.get(), name, errno);
        if (!next.valid()) {
            walk.error = errno;
            return walk;
        }
        walk.folder = std::move(next);
    }
    walk.done = true;
    return walk;
}

template <typename Names> FolderWalk walkFolders(Descriptor start, const Names &names, int flags)
{
    return walkFolders(std::move(start), names, flags,
                       [](int, const auto &, int error) { return errno = error, Descriptor(); });
}

// The folder `names` lead to from "/" (path-only), no link followed on the way, the last folder
// included. ELOOP when a folder on the way is a link or not a folder; ENOENT when one is missing.
template <typename Names> FolderWalk walkFromRoot(const Names &names)
{
    // The kernel walks the whole way at once and refuses every link on it: the same walk as the
    // step-by-step one, in one call instead of three per folder.
    std::string path("/");
    for (std::size_t i = 0; i < std::size_t(names.size()); ++i) {
        if (i > 0)
            path += '/';
        path.append(names[i].data(), std::size_t(names[i].size()));
    }
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    FolderWalk walk;
    walk.folder = Descriptor(int(::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how)));
    if (walk.folder.valid()) {
        walk.stoppedAt = std::size_t(names.size());
        walk.done = true;
        return walk;
    }
    walk.error = errno == ENOTDIR ? ELOOP : errno;
    if (walk.error != ENOSYS && walk.error != EPERM)
        return walk;

    // A kernel without that walk (or a filter that forbids it): one folder at a time.
    walk = walkFolders(Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), names, O_PATH);
    if (!walk.done && walk.error == ENOTDIR)
        walk.error = ELOOP;
    return walk;
}

} // namespace base
