#include "platform/UserFile.h"

#include "base/Descriptor.h"
#include "base/ErrorText.h"
#include "base/FolderWalk.h"
#include "platform/ChildProcess.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using base::Descriptor;

QString reason(int error)
{
    return QString::fromStdString(base::errorText(error));
}

bool isLinkAt(int folder, const QByteArray &name)
{
    struct stat info;
    return ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
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

    bool handOverFailed = false;
    // Missing folders are made, when asked, and then opened as any other.
    auto makeMissing = [&](int folder, const QByteArray &part, int error) -> Descriptor {
        errno = error;
        if (error != ENOENT || !create)
            return {};
        if (::mkdirat(folder, part.constData(), 0700) != 0)
            return errno == EEXIST ? base::openFolderBelow(folder, part.constData(), O_RDONLY) : Descriptor();
        Descriptor made = base::openFolderBelow(folder, part.constData(), O_RDONLY);
        struct stat info;
        // Only what we made ourselves is handed over.
        if (made.valid() && ::fstat(made.get(), &info) == 0 && info.st_uid == ::geteuid() &&
            ::fchown(made.get(), owner.uid(), owner.gid()) != 0) {
            platform::log(QStringLiteral("Cannot hand %1 to its owner: %2")
                              .arg(QFile::decodeName(part), reason(errno)));
            handOverFailed = true;
            return {};
        }
        return made;
    };
    base::FolderWalk walk = base::walkFolders(
        Descriptor(::open(QFile::encodeName(anchor).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), parts,
        O_RDONLY, makeMissing);
    if (walk.done)
        return walk.folder.release();
    if (handOverFailed)
        return -1;
    if (!walk.folder.valid()) {
        if (walk.error != ENOENT)
            platform::log(QStringLiteral("Cannot open %1: %2").arg(anchor, reason(walk.error)));
        return -1;
    }
    const QByteArray &part = parts[walk.stoppedAt];
    if (isLinkAt(walk.folder.get(), part))
        platform::log(
            QStringLiteral("Not following the link %1 on the way to %2").arg(QFile::decodeName(part), path));
    else if (walk.error != ENOENT || create)
        platform::log(QStringLiteral("Cannot open the folder %1 on the way to %2: %3")
                          .arg(QFile::decodeName(part), path, reason(walk.error)));
    return -1;
}

// Root reads and replaces for the person only what is plainly theirs: a hard link they made to
// someone else's file (where the system allows that) has their name on it but not their content.
bool isPersonsOwn(const struct stat &info, const InvokingUser &owner, const QString &path, const char *doing)
{
    QString why;
    if (!S_ISREG(info.st_mode))
        why = QStringLiteral("it is not a regular file");
    else if (info.st_uid != owner.uid())
        why = QStringLiteral("it belongs to someone else");
    else if (info.st_nlink != 1)
        why = QStringLiteral("it has more than one name");
    if (why.isEmpty())
        return true;
    platform::log(QStringLiteral("Not %1 %2: %3").arg(QLatin1String(doing), path, why));
    return false;
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

// The new file written by a child that has become the person: the kernel then decides, with the
// person's own rights, whether they may create it there and replace the name. The child also
// reaches the folder by its path as the person, so a folder they cannot get to is refused even
// when root holds it open. Answers 0 or the reason (an errno value).
int writeAsPerson(const InvokingUser &owner, int folder, const QByteArray &folderPath,
                  const QByteArray &temporary, const QByteArray &name, const QByteArray &bytes, mode_t mode)
{
    const std::vector<gid_t> groups = owner.groups();
    ChildProcess::ReportPipe report;
    if (!report.open())
        return errno;
    const pid_t child = ChildProcess::fork(report, false);
    if (child < 0)
        return errno;
    if (child == 0) {
        auto fail = [&report](int error) {
            ChildProcess::ReportPipe::write(report.writeEnd(), &error, sizeof error);
            ::_exit(1);
        };
        if (!ChildProcess::becomeUser(owner.uid(), owner.gid(), groups))
            fail(EPERM);
        const int reached = ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat mine, held;
        if (reached < 0)
            fail(errno);
        if (::fstat(reached, &mine) != 0 || ::fstat(folder, &held) != 0 || mine.st_dev != held.st_dev ||
            mine.st_ino != held.st_ino)
            fail(ESTALE);
        const int file = ::openat(reached, temporary.constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file < 0)
            fail(errno);
        if (::fchmod(file, mode) != 0 || !writeAll(file, bytes) || ::fsync(file) != 0 || ::close(file) != 0 ||
            ::renameat(reached, temporary.constData(), reached, name.constData()) != 0) {
            const int error = errno;
            ::unlinkat(reached, temporary.constData(), 0);
            fail(error);
        }
        ::_exit(0);
    }
    int error = 0;
    const bool reported = report.read(&error, sizeof error);
    int status = 0;
    if (ChildProcess::wait(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return reported ? error : EIO;
    return 0;
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
        if (!isPersonsOwn(existing, owner, path, "writing"))
            return false;
    }

    if (options.withOwnersRights) {
        const QString clean = QDir::cleanPath(path);
        const QByteArray folderPath = QFile::encodeName(clean.left(qMax<qsizetype>(1, clean.lastIndexOf(u'/'))));
        const int error =
            writeAsPerson(owner, folder.get(), folderPath, temporaryName(name), name, bytes, options.mode);
        if (error != 0)
            platform::log(QStringLiteral("Cannot write %1: %2").arg(path, reason(error)));
        return error == 0;
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
    struct stat info;
    if (::fstat(file.get(), &info) != 0 || !isPersonsOwn(info, owner, path, "reading"))
        return std::nullopt;
    return readAll(file.get(), maxSize);
}
