#pragma once

#include "FileIdentity.h"
#include "PassWriter.h"
#include "SrmOptions.h"

#include <cstdint>
#include <cstdio>
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
// is entered. Every failure is one line on the error stream.
class SecureEraser
{
public:
    // out takes the -v lines; null drops them.
    explicit SecureEraser(const SrmOptions &options, std::FILE *out = stdout, std::FILE *err = stderr);
    ~SecureEraser();

    // True when the path is gone (or, with force, was never there).
    bool erase(const std::string &path);

    // When set, changed folders are not synced one by one but once per file system by
    // syncDeferred(); every pass of every file is still forced to the disk before the file goes.
    void setDeferFolderSyncs(bool defer) { m_deferSyncs = defer; }
    bool syncDeferred();

    // The first failure of the last erase(): the entry it concerns and why.
    const std::string &failedEntry() const { return m_failedEntry; }
    const std::string &failureReason() const { return m_failureReason; }

private:
    bool eraseNonFolder(int dirFd, const FileIdentity &container, const std::string &name,
                        const struct stat &info, const std::string &display);
    bool eraseRegularFile(int dirFd, const FileIdentity &container, const std::string &name,
                          const struct stat &info, const std::string &display);
    bool eraseTree(int dirFd, const FileIdentity &container, const std::string &name, const struct stat &info,
                   std::string &display);
    bool openFolder(int dirFd, const std::string &name, const struct stat &info,
                    const FileIdentity &container, const std::string &display, Descriptor &folder,
                    FileIdentity &identity);
    bool listFolder(int fd, std::vector<std::string> &names, const std::string &display);
    // identity is the folder's as the caller examined it on opening; examining it again costs a call.
    bool folderChanged(int dirFd, const FileIdentity &identity, const std::string &display);
    void reportSharedData(const std::string &display, nlink_t links);
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
    std::map<std::uint64_t, int> m_pendingSyncs; // one open folder per file system
    bool m_failed = false;
    std::string m_failedEntry;
    std::string m_failureReason;
};

} // namespace srm
