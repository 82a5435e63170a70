#include "JournalScrub.h"

#include "RandomStream.h"
#include "XfsScrub.h"
#include "base/ErrorText.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace srm {

namespace {

constexpr long kExt4Magic = 0xEF53;
constexpr long kXfsMagic = 0x58465342;

// The kernel's journal checkpoint request (5.13 and later), not in every set of headers.
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, std::uint32_t);
constexpr std::uint32_t kCheckpointZeroOut = 0x2;

// Past this many held objects (or, on XFS, folders with removals put off) on one file system its
// journal is written home and they are let go, so that a long run neither runs out of descriptors
// nor writes the journal home per file.
constexpr std::size_t kHeldLimit = 256;

} // namespace

JournalScrub::JournalScrub(Report report) : m_report(std::move(report)) {}

JournalScrub::~JournalScrub()
{
    for (auto &[device, fileSystem] : m_fileSystems) {
        // Never removed (the run was abandoned): what was renamed gets its own name back.
        for (const auto &removal : fileSystem.removals)
            if (!removal.original.empty())
                ::renameat2(fileSystem.folders[removal.folder], removal.name.c_str(),
                            fileSystem.folders[removal.folder], removal.original.c_str(), RENAME_NOREPLACE);
        release(fileSystem);
        ::close(fileSystem.fd);
    }
}

void JournalScrub::releaseHeld(FileSystem &fileSystem)
{
    for (const auto &[fd, attributes] : fileSystem.held) {
        for (const std::string &name : attributes)
            ::fremovexattr(fd, name.c_str());
        ::close(fd);
    }
    fileSystem.held.clear();
}

void JournalScrub::release(FileSystem &fileSystem)
{
    releaseHeld(fileSystem);
    for (const auto &[inode, fd] : fileSystem.folders)
        ::close(fd);
    fileSystem.folders.clear();
    fileSystem.removals.clear();
}

void JournalScrub::say(const std::string &line)
{
    if (m_report)
        m_report(line);
    else
        std::fprintf(stderr, "srm: %s\n", line.c_str());
}

JournalScrub::FileSystem *JournalScrub::fileSystemOf(int fd)
{
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        return nullptr;
    const auto found = m_fileSystems.find(info.st_dev);
    if (found != m_fileSystems.end())
        return &found->second;
    FileSystem fileSystem;
    // Kept open to the end of the run, which asks this file system to sync and clear its journal.
    // A folder given as a bare reference (O_PATH) takes neither request: it is opened for real.
    fileSystem.fd = S_ISDIR(info.st_mode) ? ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                          : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    struct statfs about
    {
    };
    if (fileSystem.fd < 0 || ::fstatfs(fd, &about) != 0) {
        if (fileSystem.fd >= 0)
            ::close(fileSystem.fd);
        return nullptr;
    }
    fileSystem.type = s_putOffEverywhere ? kXfsMagic : long(about.f_type);
    return &m_fileSystems.emplace(info.st_dev, fileSystem).first->second;
}

JournalScrub::FileSystem *JournalScrub::fileSystemOf(int fd, dev_t device)
{
    const auto found = m_fileSystems.find(device);
    return found != m_fileSystems.end() ? &found->second : fileSystemOf(fd);
}

void JournalScrub::touch(int fd, dev_t device, ino_t inode)
{
    FileSystem *fileSystem = fileSystemOf(fd, device);
    if (!fileSystem)
        return;
    fileSystem->touchedSinceSettle = true;
    fileSystem->touchedFolders.insert(inode);
}

void JournalScrub::touch(int fd)
{
    struct stat info
    {
    };
    FileSystem *fileSystem = fileSystemOf(fd);
    if (!fileSystem || ::fstat(fd, &info) != 0)
        return;
    fileSystem->touchedSinceSettle = true;
    fileSystem->touchedFolders.insert(info.st_ino);
}

JournalScrub::Outcome JournalScrub::checkpoint(FileSystem &fileSystem, bool clear)
{
    if (fileSystem.type != kExt4Magic) {
        // Nothing to ask for: the sync forces the log, and the file system writes it home itself.
        if (::syncfs(fileSystem.fd) != 0)
            return Outcome::Failed;
        return fileSystem.type == kXfsMagic ? Outcome::Unsupported : Outcome::NoJournal;
    }
    std::uint32_t flags = clear ? kCheckpointZeroOut : 0;
    if (::ioctl(fileSystem.fd, kExt4Checkpoint, &flags) == 0) {
        ++m_checkpoints;
        m_clearings += clear ? 1 : 0;
        return Outcome::Done;
    }
    const int error = errno;
    if (::syncfs(fileSystem.fd) != 0)
        return Outcome::Failed;
    if (error == ENODEV)
        return Outcome::NoJournal;
    if (error == ENOTTY || error == EINVAL || error == EOPNOTSUPP || error == EPERM || error == EACCES)
        return Outcome::Unsupported;
    errno = error;
    return Outcome::Failed;
}

bool JournalScrub::settle(int fd, std::string &reason, const struct stat *only)
{
    FileSystem *fileSystem = fileSystemOf(fd);
    if (!fileSystem) {
        reason = std::string("cannot examine its file system: ") + base::errorText(errno);
        return false;
    }
    // Elsewhere nothing can be asked to go home now; the end of the run syncs what there is.
    if (fileSystem->type != kExt4Magic || !fileSystem->touchedSinceSettle ||
        (only && fileSystem->touchedFolders.count(only->st_ino) == 0))
        return true;
    if (checkpoint(*fileSystem, false) == Outcome::Failed) {
        reason = std::string("cannot write its file system's journal home: ") + base::errorText(errno);
        return false;
    }
    fileSystem->touchedSinceSettle = false;
    fileSystem->touchedFolders.clear();
    release(*fileSystem);
    return true;
}

bool JournalScrub::holdUntilHome(int fd, std::vector<std::string> attributes)
{
    FileSystem *fileSystem = fileSystemOf(fd);
    struct stat info
    {
    };
    if (!fileSystem || ::fstat(fd, &info) != 0)
        return false;
    // An XFS folder frees its blocks as its entries go, not when it is let go: holding it is no use.
    const bool xfsFile = fileSystem->type == kXfsMagic && !S_ISDIR(info.st_mode);
    if (fileSystem->type != kExt4Magic && !xfsFile)
        return false;
    const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (kept < 0)
        return false;
    fileSystem->held.emplace_back(kept, std::move(attributes));
    std::string reason;
    if (xfsFile && fileSystem->held.size() >= kHeldLimit) {
        writeHomeAndRemove(*fileSystem);
    } else if (fileSystem->held.size() >= kHeldLimit) {
        fileSystem->touchedSinceSettle = true;
        if (!settle(fd, reason))
            say(reason); // they stay held to the end of the run
    }
    return true;
}

bool JournalScrub::holdFolder(int parentFd, const char *name, const struct stat &expected)
{
    FileSystem *fileSystem = fileSystemOf(parentFd);
    if (!fileSystem || fileSystem->touchedFolders.count(expected.st_ino) == 0)
        return true; // nothing in it changed since its blocks were last written home
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat found
    {
    };
    const bool same =
        ::fstat(fd, &found) == 0 && found.st_dev == expected.st_dev && found.st_ino == expected.st_ino;
    const bool held = same && holdUntilHome(fd);
    ::close(fd);
    return held;
}

bool JournalScrub::holdWouldWriteHome(int parentFd, const struct stat &expected)
{
    FileSystem *fileSystem = fileSystemOf(parentFd);
    return fileSystem && fileSystem->type == kExt4Magic &&
           fileSystem->touchedFolders.count(expected.st_ino) != 0 &&
           fileSystem->held.size() + 1 >= kHeldLimit;
}

bool JournalScrub::keepFolder(FileSystem &fileSystem, int folderFd, ino_t &inode)
{
    struct stat info
    {
    };
    if (::fstat(folderFd, &info) != 0)
        return false;
    inode = info.st_ino;
    if (fileSystem.folders.count(inode) != 0)
        return true;
    const int kept = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (kept < 0)
        return false;
    fileSystem.folders.emplace(inode, kept);
    return true;
}

bool JournalScrub::putsRemovalsOff(int fd)
{
    struct statfs about
    {
    };
    return ::fstatfs(fd, &about) == 0 && (s_putOffEverywhere || long(about.f_type) == kXfsMagic);
}

bool JournalScrub::wantsRemovalsNow() const
{
    for (const auto &[device, fileSystem] : m_fileSystems)
        if (fileSystem.folders.size() >= kHeldLimit)
            return true;
    return false;
}

bool JournalScrub::removeDeferredNow()
{
    bool removed = true;
    for (auto &[device, fileSystem] : m_fileSystems)
        if (fileSystem.type == kXfsMagic && (!fileSystem.folders.empty() || !fileSystem.held.empty()))
            removed = writeHomeAndRemove(fileSystem) && removed;
    return removed;
}

bool JournalScrub::deferRemoval(int folderFd, dev_t folderDevice, const std::string &name)
{
    FileSystem *fileSystem = m_deferRemovals ? fileSystemOf(folderFd, folderDevice) : nullptr;
    ino_t folder = 0;
    if (!fileSystem || fileSystem->type != kXfsMagic || !keepFolder(*fileSystem, folderFd, folder))
        return false;
    fileSystem->removals.push_back({folder, name, false, {}, {}});
    if (fileSystem->folders.size() >= kHeldLimit && !m_removeOnlyWhenAsked)
        writeHomeAndRemove(*fileSystem);
    return true;
}

bool JournalScrub::deferFolderRemoval(int parentFd, const std::string &name, ino_t folder)
{
    struct stat expected
    {
    };
    if (::fstatat(parentFd, name.c_str(), &expected, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(expected.st_mode) ||
        expected.st_ino != folder)
        return false;
    return putOff(parentFd, name, expected, false, {});
}

bool JournalScrub::deferEntryRemoval(int parentFd, const std::string &name, const struct stat &expected, Done done)
{
    return putOff(parentFd, name, expected, true, std::move(done));
}

bool JournalScrub::putOff(int parentFd, const std::string &name, const struct stat &expected, bool mustRename,
                          Done done)
{
    FileSystem *fileSystem = m_deferRemovals ? fileSystemOf(parentFd) : nullptr;
    ino_t parent = 0;
    struct stat found
    {
    };
    if (!fileSystem || fileSystem->type != kXfsMagic ||
        ::fstatat(parentFd, name.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0 || found.st_dev != expected.st_dev ||
        found.st_ino != expected.st_ino || !keepFolder(*fileSystem, parentFd, parent))
        return false;
    // Renamed at random, so that the fill of the folder it is in covers its name as well.
    std::string current = name;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string candidate = RandomStream::randomName(name.size());
        if (::renameat2(parentFd, name.c_str(), parentFd, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            current = candidate;
            break;
        }
        if (errno != EEXIST)
            break;
    }
    // Not renamed, its name would stay in the folder after all: better removed now, as elsewhere.
    if (mustRename && current == name)
        return false;
    fileSystem->removals.push_back({parent, current, S_ISDIR(expected.st_mode), name, std::move(done)});
    if (fileSystem->folders.size() >= kHeldLimit && !m_removeOnlyWhenAsked)
        writeHomeAndRemove(*fileSystem);
    return true;
}

bool JournalScrub::removePutOff(FileSystem &fileSystem, const FileSystem::Removal &removal)
{
    const int folderFd = fileSystem.folders[removal.folder];
    const char *what = removal.isFolder ? "folder" : "file";
    std::string reason;
    struct stat left
    {
    };
    if (::unlinkat(folderFd, removal.name.c_str(), removal.isFolder ? AT_REMOVEDIR : 0) != 0) {
        const int error = errno;
        reason = error == ENOTEMPTY || error == EEXIST ? std::string("still holds entries; left in place")
                                                       : "cannot be removed: " + base::errorText(error);
        say(std::string("cannot remove the renamed entry of an erased ") + what + ": " + base::errorText(error));
        // Its own name back, unless something took that name meanwhile.
        if (!removal.original.empty() && removal.original != removal.name &&
            ::renameat2(folderFd, removal.name.c_str(), folderFd, removal.original.c_str(), RENAME_NOREPLACE) != 0)
            reason += " (left under the name " + removal.name + ": " + base::errorText(errno) + ")";
    } else if (::fstatat(folderFd, removal.name.c_str(), &left, AT_SYMLINK_NOFOLLOW) == 0 ||
               (!removal.original.empty() &&
                ::fstatat(folderFd, removal.original.c_str(), &left, AT_SYMLINK_NOFOLLOW) == 0)) {
        reason = "is still there after its removal";
    }
    if (removal.done)
        removal.done(reason);
    return reason.empty();
}

bool JournalScrub::writeHomeAndRemove(FileSystem &fileSystem)
{
    // The room of removed and renamed entries gets random names before the folders go home.
    std::map<ino_t, std::vector<std::string>> throwaways;
    for (const auto &[inode, fd] : fileSystem.folders)
        XfsScrub::fill(fd, throwaways[inode]);
    if (s_putOffEverywhere) {
        // Tests: nothing of the machine's own file systems is frozen.
    } else if (XfsScrub::writeHome(fileSystem.fd)) {
        fileSystem.frozenOnce = true;
        ++m_checkpoints;
    } else if (!fileSystem.warned) {
        fileSystem.warned = true;
        say(std::string("the file system could not be frozen to write its metadata home (") +
            base::errorText(errno) +
            "; that needs an administrator): names and attribute values of erased files may stay in "
            "its free space until it overwrites them");
    }
    // Only now may the held files free their blocks, and the entries go: their last version is home.
    releaseHeld(fileSystem);
    bool removed = true;
    for (const auto &[inode, names] : throwaways)
        for (const std::string &name : names)
            removed =
                (::unlinkat(fileSystem.folders[inode], name.c_str(), 0) == 0 || errno == ENOENT) && removed;
    for (const auto &removal : fileSystem.removals)
        removed = removePutOff(fileSystem, removal) && removed;
    release(fileSystem);
    m_removalFailed = m_removalFailed || !removed;
    return removed;
}

bool JournalScrub::finish(bool clearJournals)
{
    bool synced = !m_removalFailed;
    m_removalFailed = false;
    for (auto &[device, fileSystem] : m_fileSystems) {
        if (fileSystem.type == kXfsMagic && (!fileSystem.folders.empty() || !fileSystem.held.empty()))
            synced = writeHomeAndRemove(fileSystem) && synced;
        const Outcome outcome = checkpoint(fileSystem, clearJournals);
        if (outcome == Outcome::Failed) {
            say(std::string("cannot sync a file system of the erased files: ") + base::errorText(errno).c_str());
            synced = false;
        } else if (outcome == Outcome::Unsupported && clearJournals && !fileSystem.warned &&
                   !fileSystem.frozenOnce) {
            fileSystem.warned = true;
            say(fileSystem.type == kExt4Magic
                    ? "the journal could not be written home and cleared (that needs a kernel of 5.13 "
                      "or later and an administrator): copies of erased names and attribute values may "
                      "stay in it until the file system overwrites them"
                    : "this file system keeps its own log and free space: copies of erased names and "
                      "attribute values may stay there until it overwrites them");
        }
    }
    // Only now may what was held be freed: its last version is home. Nothing of the run may keep a
    // file system busy either: the person may unmount it next.
    for (auto &[device, fileSystem] : m_fileSystems) {
        release(fileSystem);
        ::close(fileSystem.fd);
    }
    m_fileSystems.clear();
    return synced;
}

} // namespace srm
