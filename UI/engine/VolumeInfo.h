#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// What is known of a volume as it is mounted or unmounted: its path, the name a file manager
// shows for it, and the image data of its icon (a null path leaves name and path null).
class VolumeInfo
{
public:
    static VolumeInfo volumeInfoForMountWithPath(const QString &path);
    static VolumeInfo volumeInfoForUnmountWithPath(const QString &path);

    VolumeInfo() = default;
    explicit VolumeInfo(const QString &path); // initWithPath

    const std::optional<QByteArray> &iconData() const { return m_iconData; }
    QString name() const { return m_name; }
    QString path() const { return m_path; }
    QString description() const;

    // The removable-media icon as PNG data, made once.
    static QByteArray mountIconData();
    // The eject badge laid over a volume's icon as it goes, made once.
    static QImage ejectIconImage();
    // The volume image with the eject badge over its lower right two thirds.
    static QImage badgedWithEject(const QImage &volumeImage);

private:
    void initForMount();
    void initForUnmount();

    std::optional<QByteArray> m_iconData;
    QString m_name;
    QString m_path;
};
