#pragma once

#include <QString>
#include <QStringList>

// A small ext4 image mounted through a loop device, for tests that look at the raw device or need
// another file system. Needs root; error() says why when mounted() is false.
class LoopImage
{
public:
    explicit LoopImage(const QString &folder, const QStringList &mkfsOptions = {});
    ~LoopImage();
    LoopImage(const LoopImage &) = delete;
    LoopImage &operator=(const LoopImage &) = delete;

    bool unmount();
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString mountPoint() const { return m_mount; }
    QByteArray rawImage() const;

    // Runs a program, true when it exits with 0; error gets its standard error otherwise.
    static bool run(const QString &program, const QStringList &arguments, QString *error = nullptr);
    // Why loop-mounted tests cannot run here, or empty when they can.
    static QString unavailableReason();
    // Moves this process (and the children it starts) into a mount namespace of its own, so that
    // the mounts a test makes are seen by nothing else on the machine and vanish with the process.
    static bool enterPrivateMountNamespace(QString &error);

private:
    QString m_image;
    QString m_mount;
    QString m_error;
    bool m_mounted = false;
};
