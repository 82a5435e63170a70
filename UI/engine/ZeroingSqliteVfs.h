#pragma once

#include <functional>

// A SQLite file layer over the system's own that overwrites with zeros, and syncs, whatever a
// database is about to give back to the file system: the part of a file cut off by a truncation,
// and a whole file before it is deleted. A rollback journal holds the old pages of every change
// (for a delete, the very rows deleted), and truncating or deleting it would leave them readable
// in free blocks of the disk.
//
// A journal's first sector is zeroed and synced before anything else, so that a crash while it is
// being wiped leaves a journal that is no longer hot, never one that would be half played back.
class ZeroingSqliteVfs
{
public:
    // The name to open databases with (sqlite3_open_v2's last argument), registered on first use;
    // null when it could not be registered.
    static const char *name();

    // Called with the file's path just before the wiped region is given back (tests).
    using BeforeRelease = std::function<void(const char *path)>;
    static void setBeforeReleaseForTesting(BeforeRelease hook);
};
