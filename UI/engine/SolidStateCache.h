#pragma once

#include <QHash>

#include <sys/types.h>

// Remembers per device whether it is solid-state, so that many items on one device cost one probe
// (a walk through sysfs) instead of one each. Meant for one batch of work, an adding or a run: a
// device can be replaced between two of them under the same number.
class SolidStateCache
{
public:
    // Whether the item at the path, itself and not what a final link names, lies on a
    // solid-state drive; false when it does not exist.
    bool isSolidState(const QByteArray &path);
    bool isSolidStateDevice(dev_t device);

private:
    QHash<dev_t, bool> m_answers;
};
