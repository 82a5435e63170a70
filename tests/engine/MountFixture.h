#pragma once

// Mounts for the tests that check the eraser stays on one file system: an ext4 image on a loop
// device and bind mounts. They need root (and loop devices for the image); each one is undone when
// the object goes, detached if something still holds it.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace mounts {

class MountFixture
{
public:
    MountFixture() = default;
    ~MountFixture()
    {
        for (auto it = m_targets.crbegin(); it != m_targets.crend(); ++it)
            ::umount2(it->constData(), MNT_DETACH);
    }
    MountFixture(const MountFixture &) = delete;
    MountFixture &operator=(const MountFixture &) = delete;

    // Why mounting is impossible here, or empty when it can be tried.
    static QString unavailable()
    {
        if (::geteuid() != 0)
            return QStringLiteral("needs root to mount");
        return QString();
    }

    bool bind(const QString &source, const QString &target)
    {
        const QByteArray to = QFile::encodeName(target);
        if (::mount(QFile::encodeName(source).constData(), to.constData(), nullptr, MS_BIND, nullptr) != 0) {
            m_error = QStringLiteral("bind mount: ") + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        m_targets.push_back(to);
        return true;
    }

    // A fresh 8 MB ext4 file system from an image in the folder, mounted on the target.
    bool mountExt4Image(const QString &imageFolder, const QString &target)
    {
        const QString image = QDir(imageFolder).filePath(QStringLiteral("fs.img"));
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(8 * 1024 * 1024))
            return fail(QStringLiteral("cannot create the image"));
        file.close();
        QProcess mkfs;
        mkfs.start(QStringLiteral("mkfs.ext4"), {QStringLiteral("-q"), QStringLiteral("-F"), image});
        if (!mkfs.waitForFinished(60000) || mkfs.exitStatus() != QProcess::NormalExit || mkfs.exitCode() != 0)
            return fail(QStringLiteral("mkfs.ext4 is missing or failed"));
        const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
        const int number = control >= 0 ? ::ioctl(control, LOOP_CTL_GET_FREE) : -1;
        if (control >= 0)
            ::close(control);
        if (number < 0)
            return fail(QStringLiteral("no loop device is available"));
        const QByteArray device = "/dev/loop" + QByteArray::number(number);
        const int loopFd = ::open(device.constData(), O_RDWR | O_CLOEXEC);
        const int imageFd = ::open(QFile::encodeName(image).constData(), O_RDWR | O_CLOEXEC);
        loop_info64 info{};
        info.lo_flags = LO_FLAGS_AUTOCLEAR; // the device lets go of the image at the unmount
        const bool attached = loopFd >= 0 && imageFd >= 0 && ::ioctl(loopFd, LOOP_SET_FD, imageFd) == 0 &&
                              ::ioctl(loopFd, LOOP_SET_STATUS64, &info) == 0;
        const QByteArray to = QFile::encodeName(target);
        const bool mounted = attached && ::mount(device.constData(), to.constData(), "ext4", 0, nullptr) == 0;
        if (attached && !mounted)
            ::ioctl(loopFd, LOOP_CLR_FD, 0);
        if (imageFd >= 0)
            ::close(imageFd);
        if (loopFd >= 0)
            ::close(loopFd);
        if (!mounted)
            return fail(QStringLiteral("cannot attach or mount ") + QString::fromLatin1(device));
        m_targets.push_back(to);
        return true;
    }

    QString error() const { return m_error; }

private:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

    QList<QByteArray> m_targets;
    QString m_error;
};

} // namespace mounts
