#include "ImmutableFlag.h"

#include "platform/NativePath.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// The attribute belongs to the item itself: a link is never followed, and opening must not block
// on a FIFO or a device.
int openForFlags(int folderFd, const char *name)
{
    if (!name || !*name)
        return -1;
    return ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
}

int openForFlags(const QString &path)
{
    return openForFlags(AT_FDCWD, NativePath::encodeOrEmpty(path).constData());
}
} // namespace

bool ImmutableFlag::isSet(const QString &path)
{
    const int fd = openForFlags(path);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL);
    ::close(fd);
    return set;
}

bool ImmutableFlag::clear(const QString &path)
{
    return clear(AT_FDCWD, NativePath::encodeOrEmpty(path).constData());
}

bool ImmutableFlag::clear(int folderFd, const char *name)
{
    const int fd = openForFlags(folderFd, name);
    if (fd < 0)
        return false;
    int flags = 0;
    bool cleared = true;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL)) {
        flags &= ~FS_IMMUTABLE_FL;
        cleared = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return cleared;
}
