#include "AnchoredPath.h"

#include "platform/NativePath.h"

#include <QList>

#include <cerrno>
#include <cstring>
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
    QList<QByteArray> parts = bytes->split('/');
    parts.removeAll(QByteArray());
    parts.removeAll(QByteArrayLiteral("."));
    if (parts.isEmpty() || parts.last() == "..") {
        m_reason = QStringLiteral("it does not end in the name of an item");
        fail(EINVAL);
        return;
    }
    m_leaf = parts.takeLast();

    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray &part : parts) {
        if (fd < 0)
            break;
        const int next = ::openat(fd, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int openError = errno;
        struct stat info
        {
        };
        // O_PATH with O_NOFOLLOW may hand back the link itself instead of refusing it.
        const bool isFolder = next >= 0 && ::fstat(next, &info) == 0 && S_ISDIR(info.st_mode);
        ::close(fd);
        fd = -1;
        if (!isFolder) {
            if (next >= 0)
                ::close(next);
            if (next >= 0 || openError == ENOTDIR || openError == ELOOP) {
                m_reason = QStringLiteral("a folder on its way is a link or not a folder");
                fail(ELOOP);
            } else {
                fail(openError); // ENOENT: the entry cannot be there either
            }
            return;
        }
        fd = next;
    }
    if (fd < 0) {
        fail(errno);
        return;
    }
    m_folderFd = fd;
}

AnchoredPath::~AnchoredPath()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
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
    return m_path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(m_error));
}

bool AnchoredPath::examine(struct stat &info)
{
    if (!isOpen())
        return false;
    if (::fstatat(m_folderFd, leaf(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    return true;
}

bool AnchoredPath::removeEntry(bool isFolder)
{
    if (!isOpen())
        return false;
    if (::unlinkat(m_folderFd, leaf(), isFolder ? AT_REMOVEDIR : 0) != 0)
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
    if (::fstatat(m_folderFd, leaf(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    m_error = errno;
    return m_error == ENOENT;
}

int AnchoredPath::openFolder()
{
    if (!isOpen())
        return -1;
    const int fd = ::openat(m_folderFd, leaf(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    return fd;
}

int AnchoredPath::openForWriting()
{
    if (!isOpen())
        return -1;
    const int fd = ::openat(m_folderFd, leaf(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    return fd;
}

bool AnchoredPath::makeOwnerWritable()
{
    if (!isOpen())
        return false;
    // The C library refuses (instead of following) when the entry is a link.
    if (::fchmodat(m_folderFd, leaf(), S_IRUSR | S_IWUSR, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno);
    return true;
}

bool AnchoredPath::isGone(const QString &path)
{
    AnchoredPath anchored(path);
    return anchored.isGone();
}
