#include "SecureEraser.h"

#include "ExtendedAttributes.h"
#include "PathResolver.h"
#include "StorageKind.h"
#include "base/Descriptor.h"
#include "base/ErrorText.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace srm {

namespace {

const char *typeName(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a regular file";
}

// One folder of the walk below a folder being erased. Only the deepest one is open: the way back
// up goes through "..", checked against the identity remembered here, so neither descriptors nor
// stack grow with the depth of the tree.
struct Level
{
    std::string name; // in its parent
    FileIdentity identity;
    std::vector<std::string> entries;
    std::size_t next = 0;
    std::size_t parentDisplayLength = 0;
    bool complete = true; // every entry went
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr long kProtectingMarks = FS_IMMUTABLE_FL | FS_APPEND_FL;

// The immutable and append-only marks of the file about to be overwritten, cleared for the erase
// and put back unless the file went.
class ClearedMarks
{
public:
    ClearedMarks(int fd, long flags) : m_fd(fd), m_flags(flags) {}
    ~ClearedMarks()
    {
        if (m_cleared && !m_erased) {
            int flags = int(m_flags);
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
    }
    ClearedMarks(const ClearedMarks &) = delete;
    ClearedMarks &operator=(const ClearedMarks &) = delete;

    bool clear()
    {
        if (m_fd < 0 || m_flags < 0 || !(m_flags & kProtectingMarks))
            return true;
        int flags = int(m_flags & ~kProtectingMarks);
        m_cleared = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        return m_cleared;
    }
    void erased() { m_erased = true; }

private:
    int m_fd;
    long m_flags;
    bool m_cleared = false;
    bool m_erased = false;
};

std::string otherNames(unsigned long count)
{
    return count == 1 ? "has 1 other name that was not chosen; overwriting it would empty that name too; "
                        "left alone"
                      : "has " + std::to_string(count) +
                            " other names that were not chosen; overwriting it would empty those names "
                            "too; left alone";
}

} // namespace

SecureEraser::SecureEraser(const SrmOptions &options, std::FILE *out, std::FILE *err)
    : m_options(options),
      m_writer(passesFor(options.method, options.zeroPass), options.verbose ? out : nullptr),
      m_out(options.verbose ? out : nullptr), m_err(err),
      m_journal([err](const std::string &line) { std::fprintf(err, "srm: %s\n", line.c_str()); })
{
    m_rootKnown = FileIdentity::ofPath("/", m_root);
    // Where the file system keeps removed names in place, the entries go when the run ends (for the
    // worker: it removes a folder there only after the batch that erased its files has ended).
    m_journal.setRemovalsDeferred(true);
}

SecureEraser::~SecureEraser()
{
    for (const auto &[fileSystem, fd] : m_pendingSyncs)
        ::close(fd);
}

bool SecureEraser::fail(const std::string &display, const std::string &reason)
{
    std::fprintf(m_err, "srm: %s: %s\n", display.c_str(), reason.c_str());
    if (!m_failed) {
        m_failed = true;
        m_failedEntry = display;
        m_failureReason = reason;
    }
    return false;
}

bool SecureEraser::failErrno(const std::string &display, const std::string &what, int error)
{
    return fail(display, what + ": " + base::errorText(error));
}

bool SecureEraser::examinePath(const std::string &path, bool listed, Examined &entry, bool &answer)
{
    PathResolver::Result &where = entry.where;
    answer = false;
    const auto missing = [&] {
        if (listed)
            fail(path, "is gone since it was listed (moved or removed); not erased");
        else
            answer = m_options.force || failErrno(path, "cannot examine", ENOENT);
        return false;
    };
    m_failed = false;
    m_failedEntry.clear();
    m_failureReason.clear();
    if (path.empty()) {
        fail("''", "no such file or folder");
        return false;
    }
    where = PathResolver::resolve(path);
    switch (where.outcome) {
    case PathResolver::Outcome::Found:
        break;
    case PathResolver::Outcome::Missing:
        return missing();
    case PathResolver::Outcome::ThroughLink:
        fail(path, "goes through the link '" + where.link + "'; refused");
        return false;
    case PathResolver::Outcome::IsRoot:
        fail(path, "refusing to erase the root folder");
        return false;
    case PathResolver::Outcome::DotEntry:
        fail(path, "refusing to erase '.' or '..'");
        return false;
    case PathResolver::Outcome::Failed:
        failErrno(path, "cannot open its folder", where.error);
        return false;
    }
    if (!FileIdentity::of(where.folder.get(), entry.container)) {
        failErrno(path, "cannot examine its folder", errno);
        return false;
    }
    if (::fstatat(where.folder.get(), where.name.c_str(), &entry.info, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    if (errno == ENOENT)
        return missing();
    failErrno(path, "cannot examine", errno);
    return false;
}

bool SecureEraser::erase(const std::string &path, unsigned long names)
{
    m_changedText = "changed while being opened; left alone";
    Examined entry;
    bool answer = false;
    if (!examinePath(path, false, entry, answer))
        return answer;
    const struct stat &info = entry.info;
    const FileIdentity &container = entry.container;
    const PathResolver::Result &where = entry.where;
    const int dirFd = where.folder.get();
    // Whatever the entry is: removing a link or a folder there (a cgroup, say) changes the machine
    // as surely as writing into a file does. Mounts are never entered, so a tree stays on this one.
    if (const std::string reason = storage::systemFileSystem(dirFd); !reason.empty())
        return fail(path, reason);
    m_journal.touch(dirFd);
    if (S_ISDIR(info.st_mode) && m_rootKnown && m_root.sameInode(info))
        return fail(path, "refusing to erase the root folder");
    // "name/" asks for a folder, as it does everywhere else on the system.
    if (!S_ISDIR(info.st_mode) && path.back() == '/')
        return fail(path, "not a folder; left alone");

    std::string display = path;
    bool erased = false;
    m_chosenNames = S_ISDIR(info.st_mode) ? 1 : std::max(names, 1ul);
    if (!S_ISDIR(info.st_mode))
        erased = eraseNonFolder(dirFd, container, where.name, info, display);
    else if (!m_options.recursive)
        return fail(path, "is a folder (use -r)");
    else
        erased = eraseTree(dirFd, container, where.name, info, display);
    return erased && folderChanged(dirFd, container, path);
}

bool SecureEraser::eraseListed(const std::string &path, const Listed &listed)
{
    m_changedText = "changed since it was listed; left alone";
    Examined entry;
    bool answer = false;
    if (!examinePath(path, true, entry, answer))
        return answer;
    const struct stat &info = entry.info;
    const int dirFd = entry.where.folder.get();
    m_journal.touch(dirFd, entry.container.device, entry.container.inode);
    if (path.back() == '/')
        return fail(path, "not a folder; left alone");
    if (!S_ISREG(info.st_mode) || info.st_dev != listed.device || info.st_ino != listed.inode)
        return fail(path, m_changedText);
    m_chosenNames = std::max(listed.names, 1ul);
    return eraseRegularFile(dirFd, entry.container, entry.where.name, info, path) &&
           folderChanged(dirFd, entry.container, path);
}

bool SecureEraser::eraseNonFolder(int dirFd, const FileIdentity &container, const std::string &name,
                                  const struct stat &info, const std::string &display)
{
    if (S_ISLNK(info.st_mode)) {
        // The link goes; what it points to is never touched.
        if (::unlinkat(dirFd, name.c_str(), 0) != 0)
            return failErrno(display, "cannot remove the link", errno);
        if (m_out)
            std::fprintf(m_out, "srm: %s: link removed\n", display.c_str());
        return true;
    }
    if (!S_ISREG(info.st_mode))
        return fail(display, std::string("is ") + typeName(info.st_mode) + "; only regular files are erased");
    return eraseRegularFile(dirFd, container, name, info, display);
}

bool SecureEraser::openFolder(int dirFd, const std::string &name, const struct stat &info,
                              const FileIdentity &container, const std::string &display, Descriptor &folder,
                              FileIdentity &identity)
{
    folder.reset(::openat(dirFd, name.c_str(), kFolderFlags));
    if (!folder.valid() && errno == EACCES && m_options.force &&
        changeModeOfEntry(dirFd, name, info, (info.st_mode & 07777) | S_IRWXU))
        folder.reset(::openat(dirFd, name.c_str(), kFolderFlags));
    if (!folder.valid()) {
        if (errno == ELOOP || errno == ENOTDIR)
            return fail(display, "changed while being opened; left alone");
        return failErrno(display, "cannot open the folder", errno);
    }
    if (!FileIdentity::of(folder.get(), identity))
        return failErrno(display, "cannot examine the folder", errno);
    if (!identity.sameInode(info))
        return fail(display, "changed while being opened; left alone");
    if (m_rootKnown && identity.sameInode(m_root))
        return fail(display, "refusing to erase the root folder");
    if (identity.device != container.device || !identity.sameMount(container))
        return fail(display, "is a mount point (another file system); left alone");
    if (m_options.force && (identity.mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.get(), (identity.mode & 07777) | S_IRWXU);
    return true;
}

bool SecureEraser::listFolder(int fd, std::vector<std::string> &names, const std::string &display)
{
    // A second descriptor for the listing: closing the listing must not close the folder.
    const int listFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR *listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!listing) {
        const int error = errno;
        if (listFd >= 0)
            ::close(listFd);
        return failErrno(display, "cannot list the folder", error);
    }
    errno = 0;
    while (const dirent *entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    const int error = errno;
    ::closedir(listing);
    return error == 0 || failErrno(display, "cannot list the folder", error);
}

bool SecureEraser::eraseTree(int dirFd, const FileIdentity &container, const std::string &name,
                             const struct stat &info, std::string &display)
{
    Descriptor current;
    FileIdentity tree;
    if (!openFolder(dirFd, name, info, container, display, current, tree))
        return false;
    std::vector<Level> levels(1);
    levels[0].name = name;
    levels[0].identity = tree;
    levels[0].parentDisplayLength = display.size();
    if (!listFolder(current.get(), levels[0].entries, display))
        return false;

    while (true) {
        Level &level = levels.back();
        if (level.next < level.entries.size()) {
            const std::string child = std::move(level.entries[level.next++]);
            const std::size_t length = display.size();
            display += '/';
            display += child;
            struct stat childInfo
            {
            };
            bool erased = false;
            if (::fstatat(current.get(), child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
                erased = (errno == ENOENT && m_options.force) || failErrno(display, "cannot examine", errno);
            } else if (S_ISDIR(childInfo.st_mode)) {
                Descriptor sub;
                Level next;
                if (openFolder(current.get(), child, childInfo, tree, display, sub, next.identity) &&
                    listFolder(sub.get(), next.entries, display)) {
                    next.name = child;
                    next.parentDisplayLength = length;
                    levels.push_back(std::move(next));
                    current = std::move(sub);
                    continue;
                }
            } else {
                erased = eraseNonFolder(current.get(), tree, child, childInfo, display);
            }
            level.complete = level.complete && erased;
            display.resize(length);
            continue;
        }

        // Every entry had its turn: back up to the parent, and remove the folder if it is empty.
        Level done = std::move(levels.back());
        levels.pop_back();
        Descriptor parent;
        if (!levels.empty()) {
            parent.reset(::openat(current.get(), "..", kFolderFlags));
            FileIdentity found;
            if (!parent.valid() || !FileIdentity::of(parent.get(), found))
                return failErrno(display, "cannot go back to the folder above; stopped", errno);
            if (!found.sameInode(levels.back().identity))
                return fail(display, "was moved while its folder was being erased; stopped");
        }
        const int parentFd = levels.empty() ? dirFd : parent.get();
        bool removed = false;
        std::string reason;
        if (done.complete && !scrubExtendedAttributes(current.get(), reason, &m_journal)) {
            fail(display, reason);
        } else if (done.complete && !done.entries.empty() && !keepFolderUntilHome(current.get(), reason)) {
            // Freed before its emptied version went home, the folder's block would keep the names.
            fail(display, reason);
        } else if (done.complete && folderChanged(current.get(), done.identity, display)) {
            current.reset();
            if (!m_journal.deferFolderRemoval(parentFd, done.name, done.identity.inode) &&
                ::unlinkat(parentFd, done.name.c_str(), AT_REMOVEDIR) != 0) {
                failErrno(display, "cannot remove the folder", errno);
            } else {
                removed = true;
                if (m_out)
                    std::fprintf(m_out, "srm: %s: folder removed\n", display.c_str());
            }
        }
        // A folder that keeps a failed entry stays; each failure was reported where it happened.
        display.resize(done.parentDisplayLength);
        if (levels.empty())
            return removed;
        levels.back().complete = levels.back().complete && removed;
        current = std::move(parent);
    }
}

bool SecureEraser::eraseRegularFile(int dirFd, const FileIdentity &container, const std::string &name,
                                    const struct stat &info, const std::string &display)
{
    if (m_openHook)
        m_openHook(name);
    // Everything is judged on the entry itself before anything is opened for writing or unmarked.
    const Descriptor entry(::openat(dirFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!entry.valid())
        return errno == ENOENT ? fail(display, m_changedText) : failErrno(display, "cannot examine", errno);
    FileIdentity seen;
    if (!FileIdentity::of(entry.get(), seen))
        return failErrno(display, "cannot examine", errno);
    if (!S_ISREG(seen.mode) || !seen.sameInode(info))
        return fail(display, m_changedText);
    // A file mounted over another one belongs to a different file system.
    if (!seen.sameMount(container))
        return fail(display, "is a mount point (another file system); left alone");
    // Asked through the entry's mount, which is the folder's: the writer below is held to it too.
    std::uint32_t type = 0;
    if (!m_mountTypes.typeOf(entry.get(), seen, type))
        return fail(display, "cannot tell its file system; left alone");
    const std::string systemReason = storage::systemFileSystemOfType(type);
    if (!systemReason.empty())
        return fail(display, systemReason);
    if (seen.links > m_chosenNames)
        return fail(display, otherNames(static_cast<unsigned long>(seen.links - m_chosenNames)));

    // Read-only and non-blocking: the marks and the extent map need a real descriptor, and a
    // FIFO swapped in must not hang the tool.
    const Descriptor reader(
        ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    FileIdentity read;
    if (reader.valid() && (!FileIdentity::of(reader.get(), read) || !read.sameInode(seen)))
        return fail(display, m_changedText);
    int flags = 0;
    const long marks = reader.valid() && ::ioctl(reader.get(), FS_IOC_GETFLAGS, &flags) == 0 ? long(flags) : -1;
    const std::string keptReason =
        storage::keepsOldData(reader.valid() ? reader.get() : entry.get(), marks, type);
    if (!keptReason.empty())
        return fail(display, keptReason);
    ClearedMarks cleared(reader.get(), marks);
    if (!cleared.clear())
        return failErrno(display, "cannot clear its immutable or append-only mark", errno);

    // Never follow a link put in the file's place, and never block on a FIFO swapped in.
    const int writeFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::openat(dirFd, name.c_str(), writeFlags));
    if (!file.valid() && errno == EACCES && m_options.force &&
        changeModeOfEntry(dirFd, name, info, (info.st_mode & 07777) | S_IWUSR))
        file.reset(::openat(dirFd, name.c_str(), writeFlags));
    if (!file.valid())
        return failErrno(display, "cannot open for writing", errno);
    FileIdentity opened;
    if (!FileIdentity::of(file.get(), opened))
        return failErrno(display, "cannot examine", errno);
    if (!S_ISREG(opened.mode) || !opened.sameInode(seen) || !opened.sameMount(container))
        return fail(display, m_changedText);
    if (!overwriteAndRemove(dirFd, container.device, name, file.get(), opened, display))
        return false;
    cleared.erased();
    return true;
}

bool SecureEraser::overwriteAndRemove(int dirFd, dev_t folderDevice, const std::string &name, int fd,
                                      const FileIdentity &opened, const std::string &display)
{
    if (!m_writer.overwrite(fd, display, std::int64_t(opened.size)))
        return fail(display, m_writer.reason());
    std::string reason;
    if (!scrubExtendedAttributes(fd, reason, &m_journal))
        return fail(display, reason);

    // Overwrite the name as well: the folder entry keeps the old one otherwise.
    std::string current = name;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string candidate = randomNameLike(name);
        if (::renameat2(dirFd, current.c_str(), dirFd, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            current = candidate;
            break;
        }
        if (errno != EEXIST)
            break; // e.g. a file system without no-replace renames: the content is gone all the same
    }
    if (::ftruncate(fd, 0) != 0)
        return failErrno(display, "cannot truncate", errno);
    // The folder's sync (now or at the end of a batch) makes the new size durable as well.
    if (!m_deferSyncs)
        ::fdatasync(fd);
    // Where the file system keeps removed names in place, the entry goes at the end of the run.
    if (!m_journal.deferRemoval(dirFd, folderDevice, current) && ::unlinkat(dirFd, current.c_str(), 0) != 0)
        return failErrno(
            display, m_writer.wroteData() ? "overwritten but cannot be removed" : "cannot be removed", errno);
    if (m_out)
        std::fprintf(m_out, "srm: %s: removed\n", display.c_str());
    return true;
}

bool SecureEraser::keepFolderUntilHome(int fd, std::string &reason)
{
    if (m_journal.holdUntilHome(fd))
        return true;
    m_journal.touch(fd);
    return m_journal.settle(fd, reason);
}

bool SecureEraser::folderChanged(int dirFd, const FileIdentity &identity, const std::string &display)
{
    if (!m_deferSyncs) {
        if (::fsync(dirFd) != 0 && errno != EINVAL)
            return failErrno(display, "cannot sync its folder", errno);
        return true;
    }
    const std::uint64_t fileSystem = identity.knowsMount ? identity.mount : std::uint64_t(identity.device);
    if (m_pendingSyncs.count(fileSystem) == 0) {
        const int kept = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
        if (kept < 0)
            return failErrno(display, "cannot keep its folder for the final sync", errno);
        m_pendingSyncs.emplace(fileSystem, kept);
    }
    return true;
}

bool SecureEraser::syncDeferred()
{
    bool synced = true;
    for (const auto &[fileSystem, fd] : m_pendingSyncs) {
        if (::syncfs(fd) != 0) {
            std::fprintf(m_err, "srm: cannot sync a file system of the erased files: %s\n",
                         base::errorText(errno).c_str());
            synced = false;
        }
        ::close(fd);
    }
    m_pendingSyncs.clear();
    return m_journal.finish(m_clearJournals) && synced;
}

std::string SecureEraser::randomNameLike(const std::string &name)
{
    return RandomStream::randomName(name.size());
}

} // namespace srm
