#include "NSFileManagerUtils.h"

#include "FileObj.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace {

QString &sysfsRootOverride()
{
    static QString root;
    return root;
}

// How many parents above the matched device are examined at most.
constexpr int kMaxAncestorSteps = 9;

QString readTrimmed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(64)).trimmed();
}

// Parents of a block device: the disk that holds a partition, or the members of a device-mapper
// or md device. Unresolvable links are reported through ok.
QStringList blockParents(const QString &device, bool &ok)
{
    ok = true;
    if (QFileInfo::exists(device + QStringLiteral("/partition"))) {
        const QString disk = QFileInfo(device).canonicalPath();
        if (disk.isEmpty())
            ok = false;
        return disk.isEmpty() ? QStringList() : QStringList{disk};
    }
    QStringList parents;
    const QDir slaves(device + QStringLiteral("/slaves"));
    const QStringList names =
        slaves.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QString target = QFileInfo(slaves.filePath(name)).canonicalFilePath();
        if (target.isEmpty())
            ok = false;
        else
            parents.append(target);
    }
    return parents;
}

quint64 folderSize(int dirFd);

quint64 entrySize(int dirFd, const char *name)
{
    struct stat info
    {
    };
    if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return quint64(info.st_size);
    const int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0)
        return 0;
    return folderSize(child);
}

// Takes over the descriptor. readdir fetches entries from the kernel in large batches; each entry
// is then examined relative to the open folder, so no path is resolved twice.
quint64 folderSize(int dirFd)
{
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    quint64 total = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        total += entrySize(::dirfd(dir), name);
    }
    ::closedir(dir);
    return total;
}

} // namespace

void NSFileManagerUtils::setSysfsRoot(const QString &root)
{
    sysfsRootOverride() = root;
}

QString NSFileManagerUtils::sysfsRoot()
{
    return sysfsRootOverride().isEmpty() ? QStringLiteral("/sys") : sysfsRootOverride();
}

bool NSFileManagerUtils::isSolidState(const char *path)
{
    struct stat info
    {
    };
    if (!path || !*path || ::stat(path, &info) != 0 || ::major(info.st_dev) == 0) {
        // No item, or a file system without a block device (tmpfs, overlay, network).
        platform::log(QStringLiteral("Could not find io classes of disk"));
        return false;
    }
    return isSolidStateDevice(::major(info.st_dev), ::minor(info.st_dev));
}

bool NSFileManagerUtils::isSolidStateDevice(unsigned major, unsigned minor)
{
    const QString link = sysfsRoot() + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor);
    if (!QFileInfo(link).exists() && !QFileInfo(link).isSymLink()) {
        platform::log(QStringLiteral("Could not find io classes of disk"));
        return false;
    }
    const QString device = QFileInfo(link).canonicalFilePath();
    if (device.isEmpty()) {
        platform::log(QStringLiteral("Can't iterate services"));
        return false;
    }

    // The device itself first (a whole disk carries its own queue), then at most nine steps up.
    // The answer is that of the last rotational flag read, and a solid-state one ends the walk.
    bool answer = false;
    std::vector<std::pair<QString, int>> pending{{device, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        const QString rotational = readTrimmed(node + QStringLiteral("/queue/rotational"));
        if (!rotational.isEmpty()) {
            answer = rotational == QLatin1String("0");
            if (answer)
                return true;
        }
        if (depth >= kMaxAncestorSteps)
            continue;
        bool ok = true;
        const QStringList parents = blockParents(node, ok);
        if (!ok)
            platform::log(QStringLiteral("Error while getting parent service entry"));
        for (auto it = parents.crbegin(); it != parents.crend(); ++it)
            pending.emplace_back(*it, depth + 1);
    }
    return answer;
}

quint64 NSFileManagerUtils::fileSize(const QString &path)
{
    if (isFileSymbolicLink(path)) {
        struct stat info
        {
        };
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return 0;
        return quint64(info.st_size);
    }
    const std::optional<QString> ref = convertStringToFSRef(path);
    if (!ref)
        return 0;
    return fastFolderSizeAtFSRef(*ref);
}

std::optional<QString> NSFileManagerUtils::convertStringToFSRef(const QString &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        platform::log(QStringLiteral("Failed to create FSRef."));
        return std::nullopt;
    }
    return QFileInfo(path).absoluteFilePath();
}

quint64 NSFileManagerUtils::fastFolderSizeAtFSRef(const QString &ref)
{
    const QByteArray native = QFile::encodeName(ref);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        struct stat info
        {
        };
        if (::stat(native.constData(), &info) != 0)
            return 0;
        return quint64(info.st_size);
    }
    return folderSize(fd);
}

bool NSFileManagerUtils::isFileSymbolicLink(const QString &path)
{
    return FileObj::isFileSymbolicLink(path);
}

bool NSFileManagerUtils::createDirectoryAtPathWithIntermediateDirectories(const QString &rawPath,
                                                                          const QVariantMap &attributes)
{
    if (rawPath.isEmpty())
        return true;
    const QString path = QDir::cleanPath(rawPath);
    const QString parent = QFileInfo(path).path();
    struct stat info
    {
    };
    if (parent != path && ::lstat(QFile::encodeName(parent).constData(), &info) != 0)
        createDirectoryAtPathWithIntermediateDirectories(parent, attributes);
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        bool ok = false;
        const int mode = attributes.value(QStringLiteral("NSFilePosixPermissions")).toInt(&ok);
        ::mkdir(QFile::encodeName(path).constData(), ok ? mode_t(mode) : mode_t(0777));
    }
    return true;
}
