#include "AnchoredPath.h"

#include "StorageKind.h"
#include "base/ErrorText.h"
#include "base/FolderWalk.h"
#include "platform/NativePath.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

AnchoredPath::AnchoredPath(const QString &path) : m_path(path)
{
    const std::optional<QByteArray> bytes = NativePath::encode(path);
    if (!bytes || !bytes->startsWith('/')) {
        m_reason = QStringLiteral("its name cannot be carried byte for byte to the file system");
        fail(EINVAL);
        return;
    }
    m_mustBeFolder = bytes->endsWith('/') && bytes->size() > 1;
    QList<QByteArray> parts = bytes->split('/');
    parts.removeAll(QByteArray());
    parts.removeAll(QByteArrayLiteral("."));
    if (parts.isEmpty() || parts.last() == "..") {
        m_reason = QStringLiteral("it does not end in the name of an item");
        fail(EINVAL);
        return;
    }
    m_leaf = parts.takeLast();

    m_folder = walk(parts);
}

base::Descriptor AnchoredPath::walk(const QList<QByteArray> &parts)
{
    base::FolderWalk walk = base::walkFromRoot(parts);
    if (walk.done)
        return std::move(walk.folder);
    if (walk.error == ELOOP)
        m_reason = QStringLiteral("a folder on its way is a link or not a folder");
    fail(walk.error); // ENOENT: the entry cannot be there either
    return {};
}

bool AnchoredPath::fail(int error)
{
    m_error = error;
    return false;
}

QString AnchoredPath::failureText() const
{
    if (!m_reason.isEmpty())
        return m_path + QStringLiteral(": ") + m_reason + QStringLiteral("; left alone");
    return m_path + QStringLiteral(": ") + QString::fromLocal8Bit(base::errorText(m_error).c_str());
}

bool AnchoredPath::examine(struct stat &info)
{
    if (!isOpen())
        return false;
    if (::fstatat(folderFd(), leaf(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    if (m_mustBeFolder && !S_ISDIR(info.st_mode)) {
        m_reason = QStringLiteral("not a folder");
        return fail(ENOTDIR);
    }
    return true;
}

QString AnchoredPath::systemFileSystemReason()
{
    if (!isOpen())
        return failureText();
    const base::Descriptor entry(::openat(folderFd(), leaf(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!entry.valid()) {
        fail(errno);
        return failureText();
    }
    const std::string reason = srm::storage::systemFileSystem(entry.get());
    return reason.empty() ? QString() : m_path + QStringLiteral(": ") + QString::fromStdString(reason);
}

bool AnchoredPath::removeEntry(bool isFolder)
{
    if (!isOpen())
        return false;
    if (::unlinkat(folderFd(), leaf(), isFolder ? AT_REMOVEDIR : 0) != 0)
        return fail(errno);
    if (!isGone())
        return fail(EEXIST);
    return true;
}

bool AnchoredPath::isGone()
{
    if (!isOpen())
        return m_error == ENOENT;
    struct stat info
    {
    };
    if (::fstatat(folderFd(), leaf(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    m_error = errno;
    return m_error == ENOENT;
}

base::Descriptor AnchoredPath::openFolder()
{
    if (!isOpen())
        return {};
    base::Descriptor fd(::openat(folderFd(), leaf(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        fail(errno);
    return fd;
}

base::Descriptor AnchoredPath::openForWriting()
{
    if (!isOpen())
        return {};
    base::Descriptor fd(
        ::openat(folderFd(), leaf(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        fail(errno);
    return fd;
}

bool AnchoredPath::makeOwnerWritable()
{
    if (!isOpen())
        return false;
    // The C library refuses (instead of following) when the entry is a link.
    if (::fchmodat(folderFd(), leaf(), S_IRUSR | S_IWUSR, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    return true;
}

bool AnchoredPath::isGone(const QString &path)
{
    AnchoredPath anchored(path);
    return anchored.isGone();
}
