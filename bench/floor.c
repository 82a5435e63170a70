/* The floor the benchmarks measure against: what erasing costs when nothing but the method is done.
 *
 *   floor erase FOLDER        per regular file below FOLDER: open, one random pass written and
 *                             synced, one pass of zeros written and synced, one rename, truncate,
 *                             unlink; every folder removed once empty; one syncfs at the end
 *   floor tree FOLDER FILES   makes FILES files of 4 KiB of random bytes, 100 to a folder, in
 *                             folders two levels deep (d00/e0/f0 ...), then syncs
 *   floor run COMMAND...      runs the command; prints its seconds and peak memory (KiB)
 *   floor spin                keeps one core busy until killed
 *
 * No checks beyond what the calls report: this is the cost of the work itself, not a tool. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static unsigned char buffer[1 << 20];
static int syncFd = -1;

static int fail(const char *what)
{
    fprintf(stderr, "floor: %s: %s\n", what, strerror(errno));
    return 1;
}

static int writeAll(int fd, const unsigned char *data, off_t size)
{
    for (off_t done = 0; done < size;) {
        size_t piece = (size_t)(size - done) < sizeof buffer ? (size_t)(size - done) : sizeof buffer;
        ssize_t written = pwrite(fd, data, piece, done);
        if (written <= 0)
            return -1;
        done += written;
    }
    return 0;
}

static int eraseFile(int dir, const char *name)
{
    int fd = openat(dir, name, O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
        return fail(name);
    off_t size = info.st_size;
    size_t first = (size_t)size < sizeof buffer ? (size_t)size : sizeof buffer;
    if (getrandom(buffer, first, 0) < 0 || writeAll(fd, buffer, size) != 0 || fdatasync(fd) != 0)
        return fail(name);
    static const unsigned char zeros[sizeof buffer];
    if (writeAll(fd, zeros, size) != 0 || fdatasync(fd) != 0)
        return fail(name);
    char renamed[256];
    snprintf(renamed, sizeof renamed, "%.*s", (int)strlen(name), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                                                                  "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
    if (renameat(dir, name, dir, renamed) != 0 || ftruncate(fd, 0) != 0 || unlinkat(dir, renamed, 0) != 0)
        return fail(name);
    close(fd);
    return 0;
}

static int eraseFolder(int parent, const char *name)
{
    int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR *listing = fd >= 0 ? fdopendir(dup(fd)) : NULL;
    if (!listing)
        return fail(name);
    if (syncFd < 0)
        syncFd = dup(fd);
    struct dirent *entry;
    int status = 0;
    while ((entry = readdir(listing)) && status == 0) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
            continue;
        status = entry->d_type == DT_DIR ? eraseFolder(fd, entry->d_name) : eraseFile(fd, entry->d_name);
    }
    closedir(listing);
    close(fd);
    if (status == 0 && unlinkat(parent, name, AT_REMOVEDIR) != 0)
        return fail(name);
    return status;
}

static int makeTree(const char *root, int files)
{
    char path[4096];
    mkdir(root, 0700);
    for (int i = 0; i < files; ++i) {
        if (i % 1000 == 0) {
            snprintf(path, sizeof path, "%s/d%02d", root, i / 1000);
            mkdir(path, 0700);
        }
        if (i % 100 == 0) {
            snprintf(path, sizeof path, "%s/d%02d/e%d", root, i / 1000, (i / 100) % 10);
            mkdir(path, 0700);
        }
        snprintf(path, sizeof path, "%s/d%02d/e%d/f%d", root, i / 1000, (i / 100) % 10, i);
        int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || getrandom(buffer, 4096, 0) != 4096 || write(fd, buffer, 4096) != 4096)
            return fail(path);
        close(fd);
    }
    sync();
    return 0;
}

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int run(char **command)
{
    double start = now();
    pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) < 0)
        return fail(command[0]);
    printf("%.4f %ld\n", now() - start, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "erase") == 0) {
        int status = eraseFolder(AT_FDCWD, argv[2]);
        if (syncFd >= 0 && syncfs(syncFd) != 0)
            return fail("syncfs");
        return status;
    }
    if (argc == 4 && strcmp(argv[1], "tree") == 0)
        return makeTree(argv[2], atoi(argv[3]));
    if (argc >= 3 && strcmp(argv[1], "run") == 0)
        return run(argv + 2);
    if (argc == 2 && strcmp(argv[1], "spin") == 0)
        for (volatile unsigned long n = 0;; ++n) {
        }
    fprintf(stderr, "usage: floor erase FOLDER | tree FOLDER FILES | run COMMAND... | spin\n");
    return 2;
}
