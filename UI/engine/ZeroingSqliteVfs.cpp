#include "ZeroingSqliteVfs.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Everything but truncation passes straight to the file below.
template <auto Method> struct Forward;
template <typename Result, typename... Args, Result (*sqlite3_io_methods::*Method)(sqlite3_file *, Args...)>
struct Forward<Method>
{
    static Result call(sqlite3_file *file, Args... args)
    {
        sqlite3_file *real = realOf(file);
        return (real->pMethods->*Method)(real, args...);
    }
};

int fileClose(sqlite3_file *file)
{
    sqlite3_file *real = realOf(file);
    const int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    file->pMethods = nullptr;
    return rc;
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

// One table per version of the layer below, so SQLite never calls what it does not have.
sqlite3_io_methods methodsOfVersion(int version)
{
    sqlite3_io_methods methods = {};
    methods.iVersion = version;
    methods.xClose = fileClose;
    methods.xRead = Forward<&sqlite3_io_methods::xRead>::call;
    methods.xWrite = Forward<&sqlite3_io_methods::xWrite>::call;
    methods.xTruncate = fileTruncate;
    methods.xSync = Forward<&sqlite3_io_methods::xSync>::call;
    methods.xFileSize = Forward<&sqlite3_io_methods::xFileSize>::call;
    methods.xLock = Forward<&sqlite3_io_methods::xLock>::call;
    methods.xUnlock = Forward<&sqlite3_io_methods::xUnlock>::call;
    methods.xCheckReservedLock = Forward<&sqlite3_io_methods::xCheckReservedLock>::call;
    methods.xFileControl = Forward<&sqlite3_io_methods::xFileControl>::call;
    methods.xSectorSize = Forward<&sqlite3_io_methods::xSectorSize>::call;
    methods.xDeviceCharacteristics = Forward<&sqlite3_io_methods::xDeviceCharacteristics>::call;
    if (version >= 2) {
        methods.xShmMap = Forward<&sqlite3_io_methods::xShmMap>::call;
        methods.xShmLock = Forward<&sqlite3_io_methods::xShmLock>::call;
        methods.xShmBarrier = Forward<&sqlite3_io_methods::xShmBarrier>::call;
        methods.xShmUnmap = Forward<&sqlite3_io_methods::xShmUnmap>::call;
    }
    if (version >= 3) {
        methods.xFetch = Forward<&sqlite3_io_methods::xFetch>::call;
        methods.xUnfetch = Forward<&sqlite3_io_methods::xUnfetch>::call;
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

// The rest of the layer is the system's own.
template <auto Method> struct ForwardVfs;
template <typename Result, typename... Args, Result (*sqlite3_vfs::*Method)(sqlite3_vfs *, Args...)>
struct ForwardVfs<Method>
{
    static Result call(sqlite3_vfs *, Args... args) { return (g_base->*Method)(g_base, args...); }
};

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
    vfs.xAccess = ForwardVfs<&sqlite3_vfs::xAccess>::call;
    vfs.xFullPathname = ForwardVfs<&sqlite3_vfs::xFullPathname>::call;
    vfs.xDlOpen = ForwardVfs<&sqlite3_vfs::xDlOpen>::call;
    vfs.xDlError = ForwardVfs<&sqlite3_vfs::xDlError>::call;
    vfs.xDlSym = ForwardVfs<&sqlite3_vfs::xDlSym>::call;
    vfs.xDlClose = ForwardVfs<&sqlite3_vfs::xDlClose>::call;
    vfs.xRandomness = ForwardVfs<&sqlite3_vfs::xRandomness>::call;
    vfs.xSleep = ForwardVfs<&sqlite3_vfs::xSleep>::call;
    vfs.xCurrentTime = ForwardVfs<&sqlite3_vfs::xCurrentTime>::call;
    vfs.xGetLastError = g_base->xGetLastError ? ForwardVfs<&sqlite3_vfs::xGetLastError>::call : nullptr;
    if (g_base->iVersion >= 2 && g_base->xCurrentTimeInt64)
        vfs.xCurrentTimeInt64 = ForwardVfs<&sqlite3_vfs::xCurrentTimeInt64>::call;
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
