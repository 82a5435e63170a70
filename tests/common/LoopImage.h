#pragma once

// A small ext4 file system in an image file, loop-mounted for the life of the object, whose raw
// bytes can be searched afterwards for what should no longer be anywhere. Needs root.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <unistd.h>

namespace testsupport {

class LoopImage
{
public:
    explicit LoopImage(const QString &folder)
        : m_image(folder + QStringLiteral("/disk.img")), m_mount(folder + QStringLiteral("/mnt"))
    {
        if (::geteuid() != 0) {
            m_error = QStringLiteral("needs root to set up a loop device");
            return;
        }
        QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4"));
        if (mkfs.isEmpty())
            mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.ext4"),
                                                  {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")});
        if (mkfs.isEmpty()) {
            m_error = QStringLiteral("mkfs.ext4 is not installed");
            return;
        }
        QDir().mkpath(m_mount);
        QFile image(m_image);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(16 * 1024 * 1024)) {
            m_error = QStringLiteral("cannot create the image");
            return;
        }
        image.close();
        if (!run(mkfs, {QStringLiteral("-q"), QStringLiteral("-F"), m_image}))
            return;
        m_mounted =
            run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), m_image, m_mount});
        if (!m_mounted)
            m_error = QStringLiteral("loop-mounted ext4 not available: ") + m_error;
    }
    ~LoopImage() { unmount(); }
    LoopImage(const LoopImage &) = delete;
    LoopImage &operator=(const LoopImage &) = delete;

    // Unmounting writes back everything the file system still holds.
    bool unmount()
    {
        if (m_mounted && run(QStringLiteral("umount"), {m_mount}))
            m_mounted = false;
        return !m_mounted;
    }
    bool mounted() const { return m_mounted; }
    // Why the image is not mounted.
    QString error() const { return m_error; }
    QString mountPoint() const { return m_mount; }
    QByteArray rawImage() const
    {
        QFile image(m_image);
        return image.open(QIODevice::ReadOnly) ? image.readAll() : QByteArray();
    }

private:
    bool run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
                        process.exitCode() == 0;
        if (!ok)
            m_error = program + QStringLiteral(": ") +
                      QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return ok;
    }

    QString m_image;
    QString m_mount;
    QString m_error;
    bool m_mounted = false;
};

} // namespace testsupport
