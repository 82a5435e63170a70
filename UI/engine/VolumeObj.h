#pragma once

#include <QString>

// One volume, for the drive and free-space wipe flow.
class VolumeObj
{
public:
    QString volumeType() const { return m_volumeType; }
    void setVolumeType(const QString &value) { m_volumeType = value; }
    QString volumeName() const { return m_volumeName; }
    void setVolumeName(const QString &value) { m_volumeName = value; }
    QString volumePath() const { return m_volumePath; }
    void setVolumePath(const QString &value) { m_volumePath = value; }
    QString volumeMountPoint() const { return m_volumeMountPoint; }
    void setVolumeMountPoint(const QString &value) { m_volumeMountPoint = value; }
    QString volumeTotalSize() const { return m_volumeTotalSize; }
    void setVolumeTotalSize(const QString &value) { m_volumeTotalSize = value; }
    QString volumeFreeSize() const { return m_volumeFreeSize; }
    void setVolumeFreeSize(const QString &value) { m_volumeFreeSize = value; }
    qint64 volumeTotalSizeNum() const { return m_volumeTotalSizeNum; }
    void setVolumeTotalSizeNum(qint64 value) { m_volumeTotalSizeNum = value; }
    qint64 volumeFreeSizeNum() const { return m_volumeFreeSizeNum; }
    void setVolumeFreeSizeNum(qint64 value) { m_volumeFreeSizeNum = value; }

private:
    QString m_volumeType;
    QString m_volumeName;
    QString m_volumePath;
    QString m_volumeMountPoint;
    QString m_volumeTotalSize;
    QString m_volumeFreeSize;
    qint64 m_volumeTotalSizeNum = 0;
    qint64 m_volumeFreeSizeNum = 0;
};
