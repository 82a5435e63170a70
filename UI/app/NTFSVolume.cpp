#include "NTFSVolume.h"

#include <QFile>
#include <QStorageInfo>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The boot sector of an NTFS volume names it at byte 3.
constexpr off_t kNameOffset = 3;
constexpr char kBootSectorName[] = "NTFS    ";

} // namespace

NTFSVolume::Mount NTFSVolume::mountOf(const QString &path)
{
    const QStorageInfo storage(path);
    if (!storage.isValid())
        return {};
    Mount mount;
    mount.type = QString::fromLatin1(storage.fileSystemType());
    const QString device = QString::fromLocal8Bit(storage.device());
    if (device.startsWith(QLatin1Char('/')))
        mount.device = device;
    mount.readOnly = storage.isReadOnly();
    return mount;
}

bool NTFSVolume::isNTFSTypeName(const QString &type)
{
    return type.contains(QStringLiteral("ntfs")) || type.contains(QStringLiteral("NTFS")) ||
           type.toLower().contains(QStringLiteral("lifs"));
}

bool NTFSVolume::isNTFS(const Mount &mount)
{
    if (isNTFSTypeName(mount.type))
        return true;
    return mount.type == QLatin1String("fuseblk") && deviceHoldsNTFS(mount.device);
}

bool NTFSVolume::deviceHoldsNTFS(const QString &device)
{
    if (device.isEmpty())
        return false;
    // Only ever read, and only a block device: a FIFO or a terminal named as the mount's source
    // must not hang the window, and nothing else is looked at.
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat disk
    {
    };
    if (fd >= 0 && ::fstat(fd, &disk) == 0 && S_ISBLK(disk.st_mode)) {
        char name[sizeof kBootSectorName - 1] = {};
        const ssize_t got = ::pread(fd, name, sizeof name, kNameOffset);
        ::close(fd);
        return got == ssize_t(sizeof name) && std::memcmp(name, kBootSectorName, sizeof name) == 0;
    }
    if (fd >= 0)
        ::close(fd);
    // Unreadable for this user: udev recorded what it found on the device when it appeared.
    struct stat node
    {
    };
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 || !S_ISBLK(node.st_mode))
        return false;
    QFile record(QStringLiteral("/run/udev/data/b%1:%2").arg(major(node.st_rdev)).arg(minor(node.st_rdev)));
    if (!record.open(QIODevice::ReadOnly))
        return false;
    while (!record.atEnd()) {
        if (record.readLine().trimmed() == "E:ID_FS_TYPE=ntfs")
            return true;
    }
    return false;
}
