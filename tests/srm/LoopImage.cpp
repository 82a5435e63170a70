#include "LoopImage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

bool LoopImage::run(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (!ok && error)
        *error =
            program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return ok;
}

QString LoopImage::unavailableReason()
{
    if (::geteuid() != 0)
        return QStringLiteral("needs root to set up a loop device");
    if (QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4")).isEmpty() &&
        QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4"),
                                       {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
            .isEmpty())
        return QStringLiteral("mkfs.ext4 is not installed");
    if (!QFile::exists(QStringLiteral("/dev/loop-control")))
        return QStringLiteral("no loop devices here");
    return {};
}

bool LoopImage::enterPrivateMountNamespace(QString &error)
{
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        error =
            QStringLiteral("no mount namespace of our own: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

LoopImage::LoopImage(const QString &folder, const QStringList &mkfsOptions)
    : m_image(folder + QStringLiteral("/disk.img")), m_mount(folder + QStringLiteral("/mnt"))
{
    QDir().mkpath(m_mount);
    QFile image(m_image);
    if (!image.open(QIODevice::WriteOnly) || !image.resize(16 * 1024 * 1024)) {
        m_error = QStringLiteral("cannot create the image");
        return;
    }
    image.close();
    if (!run(QStringLiteral("mkfs.ext4"),
             QStringList{QStringLiteral("-q"), QStringLiteral("-F")} << mkfsOptions << m_image, &m_error))
        return;
    m_mounted = run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), m_image, m_mount},
                    &m_error);
}

LoopImage::~LoopImage()
{
    unmount();
}

bool LoopImage::unmount()
{
    if (m_mounted && run(QStringLiteral("umount"), {m_mount}))
        m_mounted = false;
    return !m_mounted;
}

QByteArray LoopImage::rawImage() const
{
    QFile image(m_image);
    image.open(QIODevice::ReadOnly);
    return image.readAll();
}
