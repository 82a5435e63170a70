#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace srm {

// What an erasure changes on a journaling file system is written to the journal first and to its
// home place later. Until then the journal holds copies of the folder blocks (the old names) and
// attribute blocks (the old values), and a block freed before its overwritten version went home
// keeps its old bytes in place. So a removed folder, or a removed file whose attribute values were
// overwritten, is held open (its blocks stay allocated) until the journal has been written home;
// where that cannot be, the journal is written home before the removal. Once a run ends, the
// journal of each file system the run touched is written home and cleared, once, and what was
// held is let go (ext4 on kernels with the journal checkpoint request; XFS, which frees folder
// blocks as entries go, has the removals themselves put off, see XfsScrub; elsewhere the file
// system is synced and what stays is said once).
// Plain C++: the overwrite tool and the erasure worker both use it.
class JournalScrub
{
public:
    // Where the lines about what could not be done go; by default the error stream.
    using Report = std::function<void(const std::string &line)>;
    explicit JournalScrub(Report report = {});
    ~JournalScrub();
    JournalScrub(const JournalScrub &) = delete;
    JournalScrub &operator=(const JournalScrub &) = delete;

    // The run changes the folder (or file) fd, and the file system it lies on.
    void touch(int fd);
    // The same, when the caller has just examined fd's device and inode.
    void touch(int fd, dev_t device, ino_t inode);
    // Writes everything the journal of fd's file system holds to its home place, when something
    // was touched there since the last time (with only, when that very folder was). False, with
    // the reason, only on a write error.
    bool settle(int fd, std::string &reason, const struct stat *only = nullptr);
    // Keeps the object fd (about to lose its last name) allocated until its file system's journal
    // has been written home; false when it cannot be kept (then settle() before the removal). The
    // attributes named are removed from it then, once their overwritten values are home.
    bool holdUntilHome(int fd, std::vector<std::string> attributes = {});
    // The same for the folder name in parentFd, when it is still the one examined as expected and
    // something in it was touched since the journal was last written home.
    bool holdFolder(int parentFd, const char *name, const struct stat &expected);
    // Whether holding that folder would write the journal home first (it would fill the held
    // list), which can take a while: a caller with a window to serve does it on another thread.
    bool holdWouldWriteHome(int parentFd, const struct stat &expected);
    // On XFS, when allowed: the entry name in folderFd (already renamed at random) is removed by
    // finish(), after the room it leaves has been filled and the folder written home. False: remove
    // it now.
    // folderDevice is folderFd's device, as the caller examined it.
    bool deferRemoval(int folderFd, dev_t folderDevice, const std::string &name);
    // The same for the folder name in parentFd (identity folder): it is renamed at random now and
    // removed after what was put off in it. False: remove it now.
    bool deferFolderRemoval(int parentFd, const std::string &name, ino_t folder);
    // What became of a removal put off by deferEntryRemoval: an empty reason when the entry is gone
    // under both its names, otherwise why not (the entry then has its own name back where it could).
    // Called on the thread that removes what was put off.
    using Done = std::function<void(const std::string &reason)>;
    // The same for any entry (file, link, folder) name in parentFd that is still the one examined
    // (expected): renamed at random now, removed (after what was put off before it) when the run
    // ends or when asked to, and done told the outcome. False, with nothing changed: remove it now.
    bool deferEntryRemoval(int parentFd, const std::string &name, const struct stat &expected, Done done);
    // Whether removals may be put off to the end of the run. Where whoever puts them off must
    // order them with removals made elsewhere (the worker, after its tool's), onlyWhenAsked keeps
    // them until finish() or removeDeferredNow(), however many pile up: see wantsRemovalsNow().
    void setRemovalsDeferred(bool deferred, bool onlyWhenAsked = false)
    {
        m_deferRemovals = deferred;
        m_removeOnlyWhenAsked = onlyWhenAsked;
    }
    // Whether so many folders are kept open for put-off removals that they should be done now.
    bool wantsRemovalsNow() const;
    // Writes home and removes what was put off on every file system, as finish() does, without
    // ending the run. False when a removal failed.
    bool removeDeferredNow();
    // Whether fd's file system is one where removals are put off: a folder there can be removed
    // only once the run that erased its files has ended.
    static bool putsRemovalsOff(int fd);
    // Tests: every file system is taken for one where removals are put off, without its freeze, so
    // that the paths that follow can be tried on any file system and without an administrator.
    static void setRemovalsPutOffEverywhere(bool everywhere) { s_putOffEverywhere = everywhere; }
    // The end of a run: every touched file system synced, its journal written home and, with
    // clearJournals, cleared; then none of them is held any longer. False when a file system could
    // not be synced.
    bool finish(bool clearJournals = true);

    // Whether the run has touched no file system yet, so finish() has nothing to do.
    bool untouched() const { return m_fileSystems.empty(); }

    // How many times a journal was written home, and cleared, since this object was made.
    int checkpoints() const { return m_checkpoints; }
    int clearings() const { return m_clearings; }

private:
    struct FileSystem
    {
        int fd = -1;
        long type = 0;
        bool touchedSinceSettle = false;
        std::set<ino_t> touchedFolders;                             // since the last settle
        std::vector<std::pair<int, std::vector<std::string>>> held; // with the attributes to remove
        bool warned = false;
        // XFS: the folders whose entries were renamed or put off, open, and what waits in them.
        std::map<ino_t, int> folders;
        struct Removal
        {
            ino_t folder;
            std::string name;
            bool isFolder;
            std::string original; // the name it had before it was renamed, when known
            Done done;
        };
        std::vector<Removal> removals;
        bool frozenOnce = false;
    };
    enum class Outcome { Done, NoJournal, Unsupported, Failed };

    FileSystem *fileSystemOf(int fd);
    // The same for fd of the device given, examined only when it is a file system not met before.
    FileSystem *fileSystemOf(int fd, dev_t device);
    static void releaseHeld(FileSystem &fileSystem);
    static void release(FileSystem &fileSystem);
    bool keepFolder(FileSystem &fileSystem, int folderFd, ino_t &inode);
    // Renames name in parentFd at random and puts its removal off; false when it cannot be put off
    // (or, with mustRename, renamed).
    bool putOff(int parentFd, const std::string &name, const struct stat &expected, bool mustRename, Done done);
    // Removes one put-off entry, tells its outcome, and gives it its own name back when it stays.
    bool removePutOff(FileSystem &fileSystem, const FileSystem::Removal &removal);
    // XFS: fills the folders, writes home, lets the held files go and removes what was put off.
    bool writeHomeAndRemove(FileSystem &fileSystem);
    Outcome checkpoint(FileSystem &fileSystem, bool clear);
    void say(const std::string &line);

    std::map<dev_t, FileSystem> m_fileSystems;
    Report m_report;
    int m_checkpoints = 0;
    int m_clearings = 0;
    bool m_deferRemovals = false;
    bool m_removeOnlyWhenAsked = false;
    bool m_removalFailed = false;
    static inline bool s_putOffEverywhere = false;
};

} // namespace srm
