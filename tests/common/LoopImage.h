#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// A small image mounted through a loop device, for tests that look at the raw device or need
// another file system (XFS, btrfs: named by type, with all of mkfs's options). An ext4 is made as
// for a disk (journal on, 4 KiB blocks) unless the options say otherwise. Needs root; error() says
// why when mounted() is false.
class LoopImage
{
public:
    // Copies of a marker on the raw image, inside the journal (or log) and elsewhere.
    struct Copies
    {
        int inJournal = 0;
        int outside = 0;
        int total() const { return inJournal + outside; }
    };

    explicit LoopImage(const QString &folder, const QStringList &mkfsOptions = {});
    LoopImage(const QString &folder, const QString &type, const QStringList &mkfsOptions);
    ~LoopImage();
    LoopImage(const LoopImage &) = delete;
    LoopImage &operator=(const LoopImage &) = delete;

    bool unmount();
    // Unmounts and mounts again, so that what was written before has reached its home place.
    bool remount();
    // Counted on the unmounted image (ext4 and XFS tell their journal or log apart).
    Copies copiesOf(const QByteArray &marker) const;
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString mountPoint() const { return m_mount; }
    QByteArray rawImage() const;

    // Runs a program, true when it exits with 0; error gets its standard error otherwise.
    static bool run(const QString &program, const QStringList &arguments, QString *error = nullptr);
    // Why loop-mounted tests cannot run here, or empty when they can.
    static QString unavailableReason(const QString &type = QStringLiteral("ext4"));
    // Moves this process (and the children it starts) into a mount namespace of its own, so that
    // the mounts a test makes are seen by nothing else on the machine and vanish with the process.
    static bool enterPrivateMountNamespace(QString &error);

private:
    bool mount();
    // Where the journal or log lies on the image, in bytes; empty when it cannot be told.
    QList<QPair<qint64, qint64>> journalExtents() const;

    QString m_type;
    QString m_image;
    QString m_mount;
    QString m_error;
    bool m_mounted = false;
};

} // namespace testsupport
