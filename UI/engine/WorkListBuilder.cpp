#include "WorkListBuilder.h"

#include "AnchoredPath.h"
#include "base/Descriptor.h"
#include "base/ErrorText.h"
#include "platform/MountTableWatcher.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

// What the builder needs to know of one entry, read without following it.
struct Entry
{
    QByteArray name;
    mode_t mode = 0;
    qint64 size = 0;
    dev_t device = 0;
    ino_t inode = 0;
    bool isMountRoot = false;
    int error = 0; // why it could not be examined, when it could not
};

bool examine(int folderFd, const char *name, int flags, Entry &entry)
{
    struct statx info
    {
    };
    if (::statx(folderFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE, &info) == 0) {
        entry.mode = info.stx_mode;
        entry.size = qint64(info.stx_size);
        entry.device = makedev(info.stx_dev_major, info.stx_dev_minor);
        entry.inode = ino_t(info.stx_ino);
        entry.isMountRoot = (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                            (info.stx_attributes & STATX_ATTR_MOUNT_ROOT);
        return true;
    }
    if (errno != ENOSYS)
        return false;
    struct stat plain
    {
    };
    if (::fstatat(folderFd, name, &plain, flags | AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    entry.mode = plain.st_mode;
    entry.size = qint64(plain.st_size);
    entry.device = plain.st_dev;
    entry.inode = plain.st_ino;
    return true;
}

// The folder's entries in the order the file system gives them, each examined where it stands.
std::vector<Entry> readEntries(int folderFd)
{
    std::vector<Entry> entries;
    base::Descriptor own(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    DIR *dir = own.valid() ? ::fdopendir(own.get()) : nullptr;
    if (!dir)
        return entries;
    own.release(); // the stream closes it
    while (const dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name == "." || name == "..")
            continue;
        Entry entry;
        entry.name = name;
        if (!examine(folderFd, d->d_name, 0, entry)) {
            if (errno == ENOENT)
                continue; // gone meanwhile: nothing to list
            entry.error = errno;
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

QString childPath(const QString &folder, const QByteArray &name)
{
    const QString decoded = NativePath::decode(name);
    return folder.endsWith(QLatin1Char('/')) ? folder + decoded : folder + QLatin1Char('/') + decoded;
}

FileObjPtr makeItem(const QString &path, const Entry &entry, bool isSSD)
{
    auto item = std::make_shared<FileObj>();
    const QString name = NativePath::decode(entry.name);
    const bool isDir = S_ISDIR(entry.mode);
    item->setName(name);
    item->setUrl(path);
    item->setSize(entry.size);
    item->setType(isDir ? QStringLiteral("Folder") : QFileInfo(name).suffix());
    item->setIsDir(isDir);
    item->setIsSelect(true);
    item->setIsSymbolicLink(S_ISLNK(entry.mode));
    // Everything listed lies on the chosen folder's own file system, so on its drive.
    item->setIsSSD(isSSD);
    return item;
}

// One folder on the way down: its record, its path, its identity and what is still to list.
struct Frame
{
    FileObjPtr item;
    QString path;
    dev_t device;
    ino_t inode;
    std::vector<Entry> entries;
    size_t next = 0;
};

bool kernelMarksMountRoots()
{
    struct statx root
    {
    };
    return ::statx(AT_FDCWD, "/", AT_NO_AUTOMOUNT, STATX_TYPE, &root) == 0 &&
           (root.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT);
}

} // namespace

WorkListBuilder::WorkListBuilder()
    : WorkListBuilder(kernelMarksMountRoots() ? MountPoints::Marked : MountPoints::ByTable)
{
}

WorkListBuilder::WorkListBuilder(MountPoints mountPoints) : m_mountPointSource(mountPoints)
{
    struct stat root
    {
    };
    if (::stat("/", &root) == 0) {
        m_rootDevice = root.st_dev;
        m_rootInode = root.st_ino;
    }
    if (m_mountPointSource == MountPoints::ByTable) {
        QFile table(QStringLiteral("/proc/self/mountinfo"));
        if (table.open(QIODevice::ReadOnly))
            m_mountPointPaths = MountTableWatcher::mountPoints(table.readAll());
    }
}

QString WorkListBuilder::mountPointRefusal(const QString &path)
{
    return path + QStringLiteral(" is a mount point of another file system; left alone");
}

FileObjList WorkListBuilder::build(const FileObjList &chosen) const
{
    FileObjList work;
    for (const FileObjPtr &item : chosen) {
        if (item->isDir() && !item->isSymbolicLink())
            expandFolder(item, work);
        work.append(item);
    }
    return work;
}

void WorkListBuilder::expandFolder(const FileObjPtr &folder, FileObjList &workList) const
{
    AnchoredPath anchored(folder->url());
    base::Descriptor current = anchored.openFolder();
    if (!current.valid())
        return; // not a folder (any more), or not one reached without a link: the worker decides
    Entry top;
    if (!examine(current.get(), "", AT_EMPTY_PATH, top) || isRoot(top.device, top.inode))
        return;
    const dev_t device = top.device;
    const bool isSSD = folder->isSSD();

    // Depth first with one open folder at a time, however deep the tree: going down opens the
    // entry relative to its folder, going up opens ".." and checks it is the folder we came from.
    std::vector<Frame> stack;
    stack.push_back(Frame{folder, folder->url(), top.device, top.inode, readEntries(current.get())});
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next == frame.entries.size()) {
            const FileObjPtr finished = frame.item;
            stack.pop_back();
            if (stack.empty())
                break;
            current = base::Descriptor(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            Entry parent;
            if (!current.valid() || !examine(current.get(), "", AT_EMPTY_PATH, parent) ||
                parent.device != stack.back().device || parent.inode != stack.back().inode) {
                // The tree was moved while it was listed: what is not listed stays, and its
                // folders fail as not empty.
                return;
            }
            workList.append(finished);
            continue;
        }

        const Entry entry = frame.entries[frame.next++];
        const QString path = childPath(frame.path, entry.name);
        FileObjPtr item = makeItem(path, entry, isSSD);
        if (entry.error != 0) {
            item->setRefusal(path + QStringLiteral(": ") +
                             QString::fromLocal8Bit(base::errorText(entry.error).c_str()) +
                             QStringLiteral("; left alone"));
            workList.append(item);
            continue;
        }
        // The table lists paths without links, as every path here is.
        const bool mountPoint =
            entry.device != device ||
            (m_mountPointSource == MountPoints::Marked
                 ? entry.isMountRoot
                 : m_mountPointPaths.contains(NativePath::encodeOrEmpty(QDir::cleanPath(path))));
        if (mountPoint || (S_ISDIR(entry.mode) && isRoot(entry.device, entry.inode))) {
            item->setRefusal(mountPointRefusal(path));
            workList.append(item);
            continue;
        }
        if (!S_ISDIR(entry.mode)) {
            workList.append(item);
            continue;
        }
        base::Descriptor child(
            ::openat(current.get(), entry.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        Entry opened;
        if (!child.valid() || !examine(child.get(), "", AT_EMPTY_PATH, opened) ||
            opened.device != entry.device || opened.inode != entry.inode) {
            // Unreadable, or swapped since it was examined: listed as it was seen; the worker
            // removes it only if it is an empty folder then.
            workList.append(item);
            continue;
        }
        std::vector<Entry> entries = readEntries(child.get());
        if (entries.empty()) {
            workList.append(item);
            continue;
        }
        current = std::move(child);
        stack.push_back(Frame{item, path, entry.device, entry.inode, std::move(entries)});
    }
}
