#include "VolumeInfo.h"

#include "CFGrowlAdditions.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPolygonF>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>

namespace {

constexpr int kDrawnIconEdge = 128;

QImage largest(const QList<QImage> &images)
{
    QImage best;
    for (const QImage &image : images) {
        if (image.width() > best.width())
            best = image;
    }
    return best;
}

// The name a file manager shows for the path: the volume's label for a mount point that has one,
// else the last path component (the whole path for the root).
QString displayName(const QString &path)
{
    const QFileInfo info(path);
    const QStorageInfo storage(path);
    if (storage.isValid() && info.exists() && QFileInfo(storage.rootPath()).canonicalFilePath() == info.canonicalFilePath()
        && !storage.name().isEmpty())
        return storage.name();
    QString cleaned = QDir::cleanPath(path);
    const QString last = QFileInfo(cleaned).fileName();
    return last.isEmpty() ? cleaned : last;
}

// Description values are quoted unless they are plain words, as dictionary descriptions show them.
QString quotedIfNeeded(const QString &value)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.$]+$"));
    if (plain.match(value).hasMatch())
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

VolumeInfo::VolumeInfo(const QString &path)
{
    if (path.isNull())
        return;
    m_path = path;
    m_name = displayName(path);
}

VolumeInfo VolumeInfo::volumeInfoForMountWithPath(const QString &path)
{
    VolumeInfo info(path);
    info.initForMount();
    return info;
}

VolumeInfo VolumeInfo::volumeInfoForUnmountWithPath(const QString &path)
{
    VolumeInfo info(path);
    info.initForUnmount();
    return info;
}

void VolumeInfo::initForMount()
{
    if (m_path.isNull())
        m_iconData = mountIconData();
    else
        m_iconData = copyIconDataForPath(m_path);
}

void VolumeInfo::initForUnmount()
{
    if (m_path.isNull()) {
        m_iconData = pngDataForImage(ejectIconImage());
        return;
    }
    const std::optional<QByteArray> volumeIcon = copyIconDataForPath(m_path);
    if (!volumeIcon)
        return;
    const QImage volumeImage = imageFromIconData(*volumeIcon);
    if (volumeImage.isNull())
        return;
    m_iconData = pngDataForImage(badgedWithEject(volumeImage));
}

QImage VolumeInfo::badgedWithEject(const QImage &volumeImage)
{
    QImage image = volumeImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const float w = static_cast<float>(image.width());
    const float h = static_cast<float>(image.height());
    const float third = 1.0f / 3.0f;
    const float twoThirds = 2.0f / 3.0f;
    // The badge sits on the bottom edge: its top is a third of the way down.
    const QRectF badge(w * third, h - h * twoThirds, w * twoThirds, h * twoThirds);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.drawImage(badge, ejectIconImage());
    painter.end();
    return image;
}

QByteArray VolumeInfo::mountIconData()
{
    static const QByteArray data = [] {
        QImage image = largest(iconImagesForNames({QStringLiteral("drive-removable-media"), QStringLiteral("drive-harddisk")}));
        if (image.isNull()) {
            // No icon theme installed: a plain drive shape keeps the record useful.
            image = QImage(kDrawnIconEdge, kDrawnIconEdge, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor(0x88, 0x8a, 0x85));
            painter.setPen(QPen(QColor(0x2e, 0x34, 0x36), 4));
            painter.drawRoundedRect(QRectF(12, 40, 104, 48), 8, 8);
        }
        return pngDataForImage(image);
    }();
    return data;
}

QImage VolumeInfo::ejectIconImage()
{
    static const QImage image = [] {
        QImage found = largest(iconImagesForNames({QStringLiteral("media-eject")}));
        if (!found.isNull())
            return found;
        QImage drawn(kDrawnIconEdge, kDrawnIconEdge, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2e, 0x34, 0x36));
        painter.drawPolygon(QPolygonF({QPointF(64, 20), QPointF(112, 76), QPointF(16, 76)}));
        painter.drawRect(QRectF(16, 88, 96, 18));
        return drawn;
    }();
    return image;
}

QString VolumeInfo::description() const
{
    QStringList lines;
    if (m_iconData)
        lines << QStringLiteral("    iconData = \"<yes>\";");
    if (!m_name.isNull())
        lines << QStringLiteral("    name = %1;").arg(quotedIfNeeded(m_name));
    if (!m_path.isNull())
        lines << QStringLiteral("    path = %1;").arg(quotedIfNeeded(m_path));
    if (lines.isEmpty())
        return QStringLiteral("{\n}");
    return QStringLiteral("{\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n}");
}
