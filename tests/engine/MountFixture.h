#pragma once

// Bind mounts for the tests that check the eraser stays on one file system (another file system
// comes from testsupport::LoopImage). They need root; each one is undone when the object goes,
// detached if something still holds it.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstring>
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

    QString error() const { return m_error; }

private:
    QList<QByteArray> m_targets;
    QString m_error;
};

} // namespace mounts
