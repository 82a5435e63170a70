#pragma once

#include "FileIdentity.h"
#include "JournalScrub.h"
#include "MountTypes.h"
#include "PassWriter.h"
#include "PathResolver.h"
#include "SrmOptions.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace srm {

class Descriptor;

// Erases the paths it is given: a file is overwritten with every pass, renamed, truncated and
// removed; a link is removed, never followed; with -r a folder is erased contents first. Nothing
// beyond what was named is touched: no link is followed on the way to a path or inside a folder,
// "/" is refused in every spelling, and no other file system (nor another mount of the same one)
// is entered. A file with names that were not chosen is left alone (overwriting it would destroy
// what those names show), and so is a file on a system file system or on storage that would keep
// its old data. Immutable and append-only marks are cleared only on the file about to be
// overwritten, once every check has passed, and put back when its erase fails. Every failure is
// one line on the error stream.
class SecureEraser
{
public:
    // out takes the -v lines; null drops them.
    explicit SecureEraser(const SrmOptions &options, std::FILE *out = stdout, std::FILE *err = stderr);
    ~SecureEraser();

    // What the caller examined of a file it lists: the erase goes ahead only while the path still
    // leads to that regular file. names counts the names of the file that were chosen, this one
    // included; a file with more names than that is left alone.
    struct Listed
    {
        dev_t device = 0;
        ino_t inode = 0;
        unsigned long names = 1;
    };

    // True when the path is gone (or, with force, was never there). names as in Listed, for a
    // file named by the path itself; files found inside a folder count one name each.
    bool erase(const std::string &path, unsigned long names = 1);
    // Erases the listed regular file and nothing else: never a folder, never what took its place;
    // a path that is gone is a failure whatever the options say.
    bool eraseListed(const std::string &path, const Listed &listed);
    // Tests swap the entry here: after it was examined, before it is opened.
    void setOpenHook(std::function<void(const std::string &name)> hook) { m_openHook = std::move(hook); }

    // When set, changed folders are not synced one by one but once per file system by
    // syncDeferred(); every pass of every file is still forced to the disk before the file goes.
    void setDeferFolderSyncs(bool defer) { m_deferSyncs = defer; }
    // Ends the run: the deferred syncs, then each touched file system's journal written home and,
    // unless the caller clears them itself (setJournalClearing(false)), cleared.
    bool syncDeferred();
    void setJournalClearing(bool clear) { m_clearJournals = clear; }

    // The first failure of the last erase(): the entry it concerns and why.
    const std::string &failedEntry() const { return m_failedEntry; }
    const std::string &failureReason() const { return m_failureReason; }

private:
    // The entry a path names, as examined where it stands (never followed).
    struct Examined
    {
        PathResolver::Result where;
        FileIdentity container;
        struct stat info
        {
        };
    };
    // Opens the folder holding the path and examines the entry. False when there is no entry to
    // erase, with the erase's answer in answer: a failure is reported; a missing entry (or a
    // folder on its way) is fine under -f for a path given by hand, never for a listed one.
    bool examinePath(const std::string &path, bool listed, Examined &entry, bool &answer);
    bool eraseNonFolder(int dirFd, const FileIdentity &container, const std::string &name,
                        const struct stat &info, const std::string &display);
    bool eraseRegularFile(int dirFd, const FileIdentity &container, const std::string &name,
                          const struct stat &info, const std::string &display);
    // folderDevice: the device of dirFd, as examined.
    bool overwriteAndRemove(int dirFd, dev_t folderDevice, const std::string &name, int fd,
                            const FileIdentity &opened, const std::string &display);
    bool eraseTree(int dirFd, const FileIdentity &container, const std::string &name, const struct stat &info,
                   std::string &display);
    bool openFolder(int dirFd, const std::string &name, const struct stat &info,
                    const FileIdentity &container, const std::string &display, Descriptor &folder,
                    FileIdentity &identity);
    bool listFolder(int fd, std::vector<std::string> &names, const std::string &display);
    // identity is the folder's as the caller examined it on opening; examining it again costs a call.
    bool folderChanged(int dirFd, const FileIdentity &identity, const std::string &display);
    bool keepFolderUntilHome(int fd, std::string &reason);
    std::string randomNameLike(const std::string &name);
    bool fail(const std::string &display, const std::string &reason);
    bool failErrno(const std::string &display, const std::string &what, int error);

    SrmOptions m_options;
    PassWriter m_writer;
    std::FILE *m_out;
    std::FILE *m_err;
    FileIdentity m_root;
    bool m_rootKnown = false;
    bool m_deferSyncs = false;
    unsigned long m_chosenNames = 1; // of the file being erased
    const char *m_changedText = "changed while being opened; left alone";
    std::function<void(const std::string &)> m_openHook;
    JournalScrub m_journal;
    MountTypes m_mountTypes;
    bool m_clearJournals = true;
    std::map<std::uint64_t, int> m_pendingSyncs; // one open folder per file system
    bool m_failed = false;
    std::string m_failedEntry;
    std::string m_failureReason;
};

} // namespace srm
