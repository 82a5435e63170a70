#pragma once

#include <QStringList>
#include <QVariantMap>

#include <functional>

// Volumes being mounted and unmounted. Each event carries a dictionary whose "NSDevicePath" is the
// volume's mount path. Handlers run on the main thread.
class VolumeEventSource
{
public:
    using Handler = std::function<void(const QVariantMap &userInfo)>;

    virtual ~VolumeEventSource() = default;

    virtual void setDidMountHandler(Handler handler) = 0;
    // Before a volume goes, while it can still be read; sources that only learn of an unmount
    // afterwards never call it.
    virtual void setWillUnmountHandler(Handler handler) = 0;
    virtual void setDidUnmountHandler(Handler handler) = 0;
    // Mount paths of the mounted local volumes, in mount order.
    virtual QStringList mountedLocalVolumePaths() const = 0;
};
