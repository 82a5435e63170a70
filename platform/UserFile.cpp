#include "platform/UserFile.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isLinkAt(int folder, const QByteArray &name)
{
    struct stat info;
    return ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

int openFolderAt(int folder, const QByteArray &name)
{
    return ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The folder that holds the path's last component, reached from the owner's home (or "/") one
// component at a time; *name gets that last component. -1 when it cannot be reached.
int openParentFolder(const InvokingUser &owner, const QString &path, bool create, QByteArray *name)
{
    if (!QDir::isAbsolutePath(path)) {
        platform::log(QStringLiteral("Not touching %1: the path is not absolute").arg(path));
        return -1;
    }
    const QString clean = QDir::cleanPath(path);
    const QString home = QDir::cleanPath(owner.home());
    QString anchor = QStringLiteral("/");
    QString rest = clean.mid(1);
    // The home folder itself comes from the user database, not from the person.
    if (home != QLatin1String("/") && clean.startsWith(home + QLatin1Char('/'))) {
        anchor = home;
        rest = clean.mid(home.size() + 1);
    }
    QList<QByteArray> parts;
    for (const QString &part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        parts.append(QFile::encodeName(part));
    if (parts.isEmpty()) {
        platform::log(QStringLiteral("Not touching %1: it names no file").arg(path));
        return -1;
    }
    *name = parts.takeLast();

    Descriptor folder(::open(QFile::encodeName(anchor).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        const int error = errno;
        if (error != ENOENT)
            platform::log(QStringLiteral("Cannot open %1: %2").arg(anchor, reason(error)));
        return -1;
    }
    for (const QByteArray &part : std::as_const(parts)) {
        int next = openFolderAt(folder.get(), part);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(folder.get(), part.constData(), 0700) == 0) {
                next = openFolderAt(folder.get(), part);
                struct stat info;
                // Only what we made ourselves is handed over.
                if (next >= 0 && ::fstat(next, &info) == 0 && info.st_uid == ::geteuid() &&
                    ::fchown(next, owner.uid(), owner.gid()) != 0) {
                    platform::log(QStringLiteral("Cannot hand %1 to its owner: %2")
                                      .arg(QFile::decodeName(part), reason(errno)));
                    ::close(next);
                    return -1;
                }
            } else if (errno == EEXIST) {
                next = openFolderAt(folder.get(), part);
            }
        }
        if (next < 0) {
            const int error = errno;
            if (isLinkAt(folder.get(), part))
                platform::log(QStringLiteral("Not following the link %1 on the way to %2")
                                  .arg(QFile::decodeName(part), path));
            else if (error != ENOENT || create)
                platform::log(QStringLiteral("Cannot open the folder %1 on the way to %2: %3")
                                  .arg(QFile::decodeName(part), path, reason(error)));
            return -1;
        }
        folder.reset(next);
    }
    return folder.release();
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

std::optional<QByteArray> readAll(int fd, qint64 maxSize)
{
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxSize)
        return std::nullopt;
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

QByteArray temporaryName(const QByteArray &name)
{
    // Room for the suffix within the longest name a folder takes.
    return '.' + name.left(200) + '.' + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
}

} // namespace

bool UserFile::writeAtomically(const QString &path, const QByteArray &bytes, const Options &options)
{
    if (const std::optional<InvokingUser> owner = InvokingUser::find())
        return writeAtomically(*owner, path, bytes, options);

    if (options.createFolders)
        QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        platform::log(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (::fchmod(file.handle(), options.mode) != 0 || file.write(bytes) != bytes.size()) {
        platform::log(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        platform::log(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool UserFile::writeAtomically(const InvokingUser &owner, const QString &path, const QByteArray &bytes,
                               const Options &options)
{
    QByteArray name;
    const Descriptor folder(openParentFolder(owner, path, options.createFolders, &name));
    if (folder.get() < 0)
        return false;

    struct stat existing;
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(existing.st_mode)) {
            platform::log(QStringLiteral("Not writing %1: it is a link").arg(path));
            return false;
        }
        if (!S_ISREG(existing.st_mode)) {
            platform::log(QStringLiteral("Not writing %1: it is not a regular file").arg(path));
            return false;
        }
    }

    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 8 && file.get() < 0; ++attempt) {
        temporary = temporaryName(name);
        // O_EXCL makes a new file or nothing: a name planted meanwhile is never opened.
        file.reset(::openat(folder.get(), temporary.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.get() < 0 && errno != EEXIST)
            break;
    }
    if (file.get() < 0) {
        platform::log(QStringLiteral("Cannot write %1: %2").arg(path, reason(errno)));
        return false;
    }
    bool ok = ::fchown(file.get(), owner.uid(), owner.gid()) == 0 &&
              ::fchmod(file.get(), options.mode) == 0 && writeAll(file.get(), bytes) &&
              ::fsync(file.get()) == 0;
    int error = errno;
    if (::close(file.release()) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        platform::log(QStringLiteral("Cannot write %1: %2").arg(path, reason(error)));
        ::unlinkat(folder.get(), temporary.constData(), 0);
    }
    return ok;
}

std::optional<QByteArray> UserFile::read(const QString &path, qint64 maxSize)
{
    if (const std::optional<InvokingUser> owner = InvokingUser::find())
        return read(*owner, path, maxSize);
    // O_NONBLOCK: a FIFO in the file's place must not hold us up.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return std::nullopt;
    return readAll(file.get(), maxSize);
}

std::optional<QByteArray> UserFile::read(const InvokingUser &owner, const QString &path, qint64 maxSize)
{
    QByteArray name;
    const Descriptor folder(openParentFolder(owner, path, false, &name));
    if (folder.get() < 0)
        return std::nullopt;
    const Descriptor file(
        ::openat(folder.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (isLinkAt(folder.get(), name))
            platform::log(QStringLiteral("Not reading %1: it is a link").arg(path));
        return std::nullopt;
    }
    return readAll(file.get(), maxSize);
}
