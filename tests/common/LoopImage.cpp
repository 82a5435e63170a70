#include "common/LoopImage.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

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

QString LoopImage::unavailableReason(const QString &type)
{
    if (::geteuid() != 0)
        return QStringLiteral("needs root to set up a loop device");
    const QString mkfs = QStringLiteral("mkfs.") + type;
    if (QStandardPaths::findExecutable(mkfs).isEmpty() &&
        QStandardPaths::findExecutable(mkfs, {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
            .isEmpty())
        return mkfs + QStringLiteral(" is not installed");
    QFile known(QStringLiteral("/proc/filesystems"));
    if (known.open(QIODevice::ReadOnly) && !known.readAll().contains('\t' + type.toLatin1() + '\n'))
        return QStringLiteral("the kernel has no ") + type;
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

// A small ext4 would otherwise get the layout of a floppy (1 KiB blocks), not that of a disk.
LoopImage::LoopImage(const QString &folder, const QStringList &mkfsOptions)
    : LoopImage(folder, QStringLiteral("ext4"),
                QStringList{QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-T"),
                            QStringLiteral("default")}
                    << mkfsOptions)
{
}

LoopImage::LoopImage(const QString &folder, const QString &type, const QStringList &mkfsOptions)
    : m_type(type), m_image(folder + QStringLiteral("/disk.img")), m_mount(folder + QStringLiteral("/mnt"))
{
    m_error = unavailableReason(type);
    if (!m_error.isEmpty())
        return;
    QDir().mkpath(m_mount);
    QFile image(m_image);
    // Sparse: XFS wants 300 MiB at least, btrfs a hundred or so, and none of it is written.
    const qint64 size = type == QStringLiteral("xfs") ? 320 : type == QStringLiteral("btrfs") ? 128 : 16;
    if (!image.open(QIODevice::WriteOnly) || !image.resize(size * 1024 * 1024)) {
        m_error = QStringLiteral("cannot create the image");
        return;
    }
    image.close();
    if (!run(QStringLiteral("mkfs.") + type, QStringList(mkfsOptions) << m_image, &m_error))
        return;
    m_mounted = mount();
}

bool LoopImage::mount()
{
    return run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), m_image, m_mount},
               &m_error);
}

bool LoopImage::remount()
{
    if (!unmount())
        return false;
    m_mounted = mount();
    return m_mounted;
}

QList<QPair<qint64, qint64>> LoopImage::journalExtents() const
{
    QProcess tool;
    QList<QPair<qint64, qint64>> extents;
    if (m_type == QStringLiteral("ext4")) {
        // The journal is inode 8; its extents are listed as "(0-4095):32809-36904".
        tool.start(QStringLiteral("debugfs"), {QStringLiteral("-R"), QStringLiteral("stat <8>"), m_image});
        tool.waitForFinished(60000);
        const QString text = QString::fromLatin1(tool.readAllStandardOutput());
        tool.start(QStringLiteral("debugfs"), {QStringLiteral("-R"), QStringLiteral("stats"), m_image});
        tool.waitForFinished(60000);
        static const QRegularExpression blockSize(QStringLiteral("Block size:\\s+(\\d+)"));
        const qint64 size =
            blockSize.match(QString::fromLatin1(tool.readAllStandardOutput())).captured(1).toLongLong();
        static const QRegularExpression extent(QStringLiteral("\\(\\d+(?:-\\d+)?\\):(\\d+)(?:-(\\d+))?"));
        for (auto it = extent.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            const qint64 first = match.captured(1).toLongLong();
            const qint64 last = match.captured(2).isEmpty() ? first : match.captured(2).toLongLong();
            extents.append({first * size, (last + 1) * size});
        }
        return extents;
    }
    if (m_type != QStringLiteral("xfs"))
        return extents;
    tool.start(QStringLiteral("xfs_db"),
               {QStringLiteral("-r"), QStringLiteral("-c"), QStringLiteral("sb 0"), QStringLiteral("-c"),
                QStringLiteral("p logstart logblocks agblklog agblocks blocksize"), m_image});
    tool.waitForFinished(60000);
    QMap<QString, qint64> field;
    for (const QString &line : QString::fromLatin1(tool.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const auto parts = line.split(QStringLiteral(" = "));
        if (parts.size() == 2)
            field[parts[0].trimmed()] = parts[1].trimmed().toLongLong();
    }
    // The log's start is a block number of the form (group << agblklog) | block in the group.
    const qint64 start = field[QStringLiteral("logstart")];
    const qint64 group = start >> field[QStringLiteral("agblklog")];
    const qint64 block = start & ((qint64(1) << field[QStringLiteral("agblklog")]) - 1);
    const qint64 size = field[QStringLiteral("blocksize")];
    const qint64 first = (group * field[QStringLiteral("agblocks")] + block) * size;
    if (size > 0)
        extents.append({first, first + field[QStringLiteral("logblocks")] * size});
    return extents;
}

LoopImage::Copies LoopImage::copiesOf(const QByteArray &marker) const
{
    const QByteArray raw = rawImage();
    const auto extents = journalExtents();
    Copies copies;
    for (qsizetype at = raw.indexOf(marker); at >= 0; at = raw.indexOf(marker, at + 1)) {
        bool inJournal = false;
        for (const auto &[from, to] : extents)
            inJournal = inJournal || (at >= from && at < to);
        ++(inJournal ? copies.inJournal : copies.outside);
    }
    return copies;
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

} // namespace testsupport
