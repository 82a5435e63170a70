#include "ZeroingSqliteVfs.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace {

const char kName[] = "nullwell-zeroing";
constexpr sqlite3_int64 kChunk = 64 * 1024;
// Covers a rollback journal's header whatever the device's sector size reports.
constexpr sqlite3_int64 kMinimumHeader = 4096;
const char kZeros[kChunk] = {};

sqlite3_vfs *g_base = nullptr;
ZeroingSqliteVfs::BeforeRelease g_beforeRelease;
std::mutex g_hookMutex;

void beforeRelease(const char *path)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    if (g_beforeRelease && path)
        g_beforeRelease(path);
}

struct ZeroingFile
{
    sqlite3_file base;
    sqlite3_file *real;
    const char *path;
};

sqlite3_file *realOf(sqlite3_file *file)
{
    return reinterpret_cast<ZeroingFile *>(file)->real;
}

// Writes zeros over [from, to) through the open file and syncs them.
int zeroRange(sqlite3_file *real, sqlite3_int64 from, sqlite3_int64 to)
{
    for (sqlite3_int64 offset = from; offset < to; offset += kChunk) {
        const int length = int(std::min(kChunk, to - offset));
        const int rc = real->pMethods->xWrite(real, kZeros, length, offset);
        if (rc != SQLITE_OK)
            return rc;
    }
    return real->pMethods->xSync(real, SQLITE_SYNC_NORMAL);
}

int fileClose(sqlite3_file *file)
{
    sqlite3_file *real = realOf(file);
    const int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    file->pMethods = nullptr;
    return rc;
}

int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xRead(real, buffer, amount, offset);
}

int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xWrite(real, buffer, amount, offset);
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    sqlite3_file *real = realOf(file);
    sqlite3_int64 current = 0;
    int rc = real->pMethods->xFileSize(real, &current);
    if (rc != SQLITE_OK)
        return rc;
    if (current > size) {
        // Emptying a journal is its commit: the header goes first, on its own, so the journal stops
        // being hot before any of its pages are touched.
        sqlite3_int64 from = size;
        if (size == 0) {
            const sqlite3_int64 header =
                std::max<sqlite3_int64>(kMinimumHeader, real->pMethods->xSectorSize(real));
            from = std::min(current, header);
            rc = zeroRange(real, 0, from);
        }
        if (rc == SQLITE_OK)
            rc = zeroRange(real, from, current);
        if (rc != SQLITE_OK)
            return rc;
        beforeRelease(reinterpret_cast<ZeroingFile *>(file)->path);
    }
    return real->pMethods->xTruncate(real, size);
}

int fileSync(sqlite3_file *file, int flags)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xSync(real, flags);
}

int fileSize(sqlite3_file *file, sqlite3_int64 *size)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xFileSize(real, size);
}

int fileLock(sqlite3_file *file, int level)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xLock(real, level);
}

int fileUnlock(sqlite3_file *file, int level)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xUnlock(real, level);
}

int fileCheckReservedLock(sqlite3_file *file, int *result)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xCheckReservedLock(real, result);
}

int fileControl(sqlite3_file *file, int op, void *argument)
{
    sqlite3_file *real = realOf(file);
    if (op == SQLITE_FCNTL_VFSNAME && argument) {
        // Name this layer in front of the one below, as stacked layers do.
        const int rc = real->pMethods->xFileControl(real, op, argument);
        char **names = static_cast<char **>(argument);
        *names = rc == SQLITE_OK && *names ? sqlite3_mprintf("%s/%z", kName, *names)
                                           : sqlite3_mprintf("%s", kName);
        return SQLITE_OK;
    }
    return real->pMethods->xFileControl(real, op, argument);
}

int fileSectorSize(sqlite3_file *file)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xSectorSize(real);
}

int fileDeviceCharacteristics(sqlite3_file *file)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xDeviceCharacteristics(real);
}

int fileShmMap(sqlite3_file *file, int region, int size, int extend, void volatile **pointer)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xShmMap(real, region, size, extend, pointer);
}

int fileShmLock(sqlite3_file *file, int offset, int count, int flags)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xShmLock(real, offset, count, flags);
}

void fileShmBarrier(sqlite3_file *file)
{
    sqlite3_file *real = realOf(file);
    real->pMethods->xShmBarrier(real);
}

int fileShmUnmap(sqlite3_file *file, int deleteFlag)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xShmUnmap(real, deleteFlag);
}

int fileFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **pointer)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xFetch(real, offset, amount, pointer);
}

int fileUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *pointer)
{
    sqlite3_file *real = realOf(file);
    return real->pMethods->xUnfetch(real, offset, pointer);
}

// One table per version of the layer below, so SQLite never calls what it does not have.
sqlite3_io_methods methodsOfVersion(int version)
{
    sqlite3_io_methods methods = {version,
                                  fileClose,
                                  fileRead,
                                  fileWrite,
                                  fileTruncate,
                                  fileSync,
                                  fileSize,
                                  fileLock,
                                  fileUnlock,
                                  fileCheckReservedLock,
                                  fileControl,
                                  fileSectorSize,
                                  fileDeviceCharacteristics,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  nullptr};
    if (version >= 2) {
        methods.xShmMap = fileShmMap;
        methods.xShmLock = fileShmLock;
        methods.xShmBarrier = fileShmBarrier;
        methods.xShmUnmap = fileShmUnmap;
    }
    if (version >= 3) {
        methods.xFetch = fileFetch;
        methods.xUnfetch = fileUnfetch;
    }
    return methods;
}

const sqlite3_io_methods kMethods[3] = {methodsOfVersion(1), methodsOfVersion(2), methodsOfVersion(3)};

int vfsOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *ours = reinterpret_cast<ZeroingFile *>(file);
    ours->real = reinterpret_cast<sqlite3_file *>(ours + 1);
    ours->path = name;
    ours->real->pMethods = nullptr;
    const int rc = g_base->xOpen(g_base, name, ours->real, flags, outFlags);
    if (rc != SQLITE_OK || !ours->real->pMethods) {
        file->pMethods = nullptr;
        return rc;
    }
    const int version = std::clamp(ours->real->pMethods->iVersion, 1, 3);
    file->pMethods = &kMethods[version - 1];
    return SQLITE_OK;
}

// A file about to be deleted is wiped through a descriptor of its own: header first, as above.
int vfsDelete(sqlite3_vfs *, const char *path, int syncDir)
{
    const int fd = ::open(path, O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        struct stat status = {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
            const off_t size = status.st_size;
            const off_t header = std::min<off_t>(size, kMinimumHeader);
            bool ok = true;
            auto zero = [&](off_t from, off_t to) {
                for (off_t offset = from; ok && offset < to; offset += kChunk) {
                    const size_t length = size_t(std::min<off_t>(kChunk, to - offset));
                    ok = ::pwrite(fd, kZeros, length, offset) == ssize_t(length);
                }
                ok = ok && ::fdatasync(fd) == 0;
            };
            zero(0, header);
            zero(header, size);
            if (!ok) {
                ::close(fd);
                return SQLITE_IOERR_DELETE;
            }
            beforeRelease(path);
        }
        ::close(fd);
    }
    return g_base->xDelete(g_base, path, syncDir);
}

int vfsAccess(sqlite3_vfs *, const char *path, int flags, int *result)
{
    return g_base->xAccess(g_base, path, flags, result);
}

int vfsFullPathname(sqlite3_vfs *, const char *path, int size, char *out)
{
    return g_base->xFullPathname(g_base, path, size, out);
}

void *vfsDlOpen(sqlite3_vfs *, const char *path)
{
    return g_base->xDlOpen(g_base, path);
}

void vfsDlError(sqlite3_vfs *, int size, char *message)
{
    g_base->xDlError(g_base, size, message);
}

void (*vfsDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return g_base->xDlSym(g_base, handle, symbol);
}

void vfsDlClose(sqlite3_vfs *, void *handle)
{
    g_base->xDlClose(g_base, handle);
}

int vfsRandomness(sqlite3_vfs *, int size, char *out)
{
    return g_base->xRandomness(g_base, size, out);
}

int vfsSleep(sqlite3_vfs *, int microseconds)
{
    return g_base->xSleep(g_base, microseconds);
}

int vfsCurrentTime(sqlite3_vfs *, double *now)
{
    return g_base->xCurrentTime(g_base, now);
}

int vfsGetLastError(sqlite3_vfs *, int size, char *out)
{
    return g_base->xGetLastError ? g_base->xGetLastError(g_base, size, out) : 0;
}

int vfsCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *now)
{
    return g_base->xCurrentTimeInt64(g_base, now);
}

sqlite3_vfs *registerLayer()
{
    if (sqlite3_initialize() != SQLITE_OK)
        return nullptr;
    g_base = sqlite3_vfs_find(nullptr);
    if (!g_base)
        return nullptr;
    static sqlite3_vfs vfs = {};
    vfs.iVersion = 2;
    vfs.szOsFile = int(sizeof(ZeroingFile)) + g_base->szOsFile;
    vfs.mxPathname = g_base->mxPathname;
    vfs.zName = kName;
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    vfs.xAccess = vfsAccess;
    vfs.xFullPathname = vfsFullPathname;
    vfs.xDlOpen = vfsDlOpen;
    vfs.xDlError = vfsDlError;
    vfs.xDlSym = vfsDlSym;
    vfs.xDlClose = vfsDlClose;
    vfs.xRandomness = vfsRandomness;
    vfs.xSleep = vfsSleep;
    vfs.xCurrentTime = vfsCurrentTime;
    vfs.xGetLastError = vfsGetLastError;
    if (g_base->iVersion >= 2 && g_base->xCurrentTimeInt64)
        vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    else
        vfs.iVersion = 1;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? &vfs : nullptr;
}

} // namespace

const char *ZeroingSqliteVfs::name()
{
    static sqlite3_vfs *registered = registerLayer();
    return registered ? registered->zName : nullptr;
}

void ZeroingSqliteVfs::setBeforeReleaseForTesting(BeforeRelease hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_beforeRelease = std::move(hook);
}
