// Preloaded into the overwrite tool by its guard tests. It records the calls whose effect a test
// cannot see from outside without root (how a name was opened, when data was forced to the disk,
// what happened to extended attributes), one line per call in the file named by
// NULLWELL_SYSCALL_LOG:  <call> <inode or -> <hex flags or size> <name or ->
// With NULLWELL_SYSCALL_SWAP_NAME=<name> and NULLWELL_SYSCALL_SWAP_WITH=<absolute path>, the first
// open of <name> is preceded by exchanging that path with it: the entry changes at the exact moment
// the tool opens it, whatever it was (a folder cannot be renamed over).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

static int logFd = -2;

static void record(const char *call, int fd, unsigned long number, const char *name)
{
    if (logFd == -2) {
        const char *path = getenv("NULLWELL_SYSCALL_LOG");
        logFd =
            path ? (int)syscall(SYS_openat, AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600)
                 : -1;
    }
    if (logFd < 0)
        return;
    char inode[32] = "-";
    struct stat info;
    if (fd >= 0 && fstat(fd, &info) == 0)
        snprintf(inode, sizeof inode, "%llu", (unsigned long long)info.st_ino);
    char line[4200];
    const int length = snprintf(line, sizeof line, "%s %s %lx %s\n", call, inode, number, name ? name : "-");
    if (length > 0)
        syscall(SYS_write, logFd, line, (size_t)(length < (int)sizeof line ? length : (int)sizeof line - 1));
}

static void swapIfAsked(int dirFd, const char *name)
{
    static int swapped;
    const char *target = getenv("NULLWELL_SYSCALL_SWAP_NAME");
    const char *standIn = getenv("NULLWELL_SYSCALL_SWAP_WITH");
    if (swapped || !target || !standIn || strcmp(name, target) != 0)
        return;
    swapped = 1;
    const long exchanged = syscall(SYS_renameat2, AT_FDCWD, standIn, dirFd, name, RENAME_EXCHANGE);
    record(exchanged == 0 ? "swapped" : "notswapped", -1, 0, name);
}

// The real function this one stands in front of, as `next`.
#define NEXT(name)                                                                                           \
    static __typeof__(name) *next;                                                                           \
    if (!next) {                                                                                             \
        next = (__typeof__(name) *)dlsym(RTLD_NEXT, #name);                                                  \
    }

static mode_t modeArgument(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(arguments, int) : 0;
}

// Every way of opening a name ends here: open() is openat() from the working folder.
static int recordedOpen(int dirFd, const char *path, int flags, mode_t mode)
{
    NEXT(openat);
    swapIfAsked(dirFd, path);
    const int fd = next(dirFd, path, flags, mode);
    record("open", fd, (unsigned long)flags, path);
    return fd;
}

#define MODE_OF(flags)                                                                                       \
    ({                                                                                                       \
        va_list arguments;                                                                                   \
        va_start(arguments, flags);                                                                          \
        const mode_t mode = modeArgument(flags, arguments);                                                  \
        va_end(arguments);                                                                                   \
        mode;                                                                                                \
    })

int open(const char *path, int flags, ...)
{
    return recordedOpen(AT_FDCWD, path, flags, MODE_OF(flags));
}

int open64(const char *path, int flags, ...)
{
    return recordedOpen(AT_FDCWD, path, flags, MODE_OF(flags));
}

int openat(int dirFd, const char *path, int flags, ...)
{
    return recordedOpen(dirFd, path, flags, MODE_OF(flags));
}

int openat64(int dirFd, const char *path, int flags, ...)
{
    return recordedOpen(dirFd, path, flags, MODE_OF(flags));
}

// The fortified entry points a build with _FORTIFY_SOURCE calls instead.
int __open_2(const char *path, int flags)
{
    return recordedOpen(AT_FDCWD, path, flags, 0);
}

int __openat_2(int dirFd, const char *path, int flags)
{
    return recordedOpen(dirFd, path, flags, 0);
}

int renameat2(int fromFd, const char *from, int toFd, const char *to, unsigned int flags)
{
    NEXT(renameat2);
    const int result = next(fromFd, from, toFd, to, flags);
    if (result == 0)
        record("rename", -1, 0, to);
    return result;
}

int renameat(int fromFd, const char *from, int toFd, const char *to)
{
    NEXT(renameat);
    const int result = next(fromFd, from, toFd, to);
    if (result == 0)
        record("rename", -1, 0, to);
    return result;
}

ssize_t write(int fd, const void *data, size_t length)
{
    NEXT(write);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && fd != logFd)
        record("write", fd, length, NULL);
    return next(fd, data, length);
}

ssize_t pwrite(int fd, const void *data, size_t length, off_t offset)
{
    NEXT(pwrite);
    record("write", fd, length, NULL);
    return next(fd, data, length, offset);
}

ssize_t pwrite64(int fd, const void *data, size_t length, off64_t offset)
{
    NEXT(pwrite64);
    record("write", fd, length, NULL);
    return next(fd, data, length, offset);
}

int ftruncate(int fd, off_t length)
{
    NEXT(ftruncate);
    record("truncate", fd, (unsigned long)length, NULL);
    return next(fd, length);
}

int ftruncate64(int fd, off64_t length)
{
    NEXT(ftruncate64);
    record("truncate", fd, (unsigned long)length, NULL);
    return next(fd, length);
}

int fsync(int fd)
{
    NEXT(fsync);
    const int result = next(fd);
    record("sync", result == 0 ? fd : -1, 0, NULL);
    return result;
}

int fdatasync(int fd)
{
    NEXT(fdatasync);
    const int result = next(fd);
    record("sync", result == 0 ? fd : -1, 0, NULL);
    return result;
}

int sync_file_range(int fd, off64_t offset, off64_t length, unsigned int flags)
{
    NEXT(sync_file_range);
    const int result = next(fd, offset, length, flags);
    // Only a range that is waited for has reached the disk.
    record("sync", result == 0 && (flags & SYNC_FILE_RANGE_WAIT_AFTER) ? fd : -1, 0, NULL);
    return result;
}

int syncfs(int fd)
{
    NEXT(syncfs);
    const int result = next(fd);
    record(result == 0 ? "syncall" : "syncfailed", -1, 0, NULL);
    return result;
}

void sync(void)
{
    NEXT(sync);
    next();
    record("syncall", -1, 0, NULL);
}

int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags)
{
    NEXT(fsetxattr);
    const int result = next(fd, name, value, size, flags);
    if (result == 0)
        record("setxattr", fd, size, name);
    return result;
}

int fremovexattr(int fd, const char *name)
{
    NEXT(fremovexattr);
    const int result = next(fd, name);
    if (result == 0)
        record("removexattr", fd, 0, name);
    return result;
}
