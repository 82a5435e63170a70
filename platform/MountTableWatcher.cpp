#include "MountTableWatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Mountinfo escapes blanks and backslashes in paths as octal.
QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return out;
}

} // namespace

MountTableWatcher::MountTableWatcher(const QString &mountInfoPath, QObject *parent)
    : QObject(parent)
    , m_path(mountInfoPath)
{
    m_known = localVolumePaths(readTable());
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        // The kernel flags the table as exceptional whenever a mount comes or goes.
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Exception);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &MountTableWatcher::rescan);
    }
}

MountTableWatcher::~MountTableWatcher()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray MountTableWatcher::readTable() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QStringList MountTableWatcher::localVolumePaths(const QByteArray &mountInfo)
{
    QStringList paths;
    for (const QByteArray &line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size())
            continue;
        if (!fields.at(separator + 2).startsWith("/dev/"))
            continue;
        const QString mountPoint = QFile::decodeName(unescape(fields.at(4)));
        if (!paths.contains(mountPoint))
            paths << mountPoint;
    }
    return paths;
}

QSet<QByteArray> MountTableWatcher::mountPoints(const QByteArray &mountInfo)
{
    QSet<QByteArray> points;
    for (const QByteArray &line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 5)
            points.insert(unescape(fields.at(4)));
    }
    return points;
}

QStringList MountTableWatcher::mountedLocalVolumePaths() const
{
    return localVolumePaths(readTable());
}

void MountTableWatcher::rescan()
{
    if (m_fd >= 0)
        ::lseek(m_fd, 0, SEEK_SET);
    const QStringList now = localVolumePaths(readTable());
    const QStringList before = m_known;
    m_known = now;
    for (const QString &path : before) {
        if (!now.contains(path) && m_didUnmount)
            m_didUnmount({{QStringLiteral("NSDevicePath"), path}});
    }
    for (const QString &path : now) {
        if (!before.contains(path) && m_didMount)
            m_didMount({{QStringLiteral("NSDevicePath"), path}});
    }
}
