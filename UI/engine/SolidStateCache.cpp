#include "SolidStateCache.h"

#include "NSFileManagerUtils.h"

#include "platform/Log.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

bool SolidStateCache::isSolidState(const QByteArray &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::lstat(path.constData(), &info) != 0) {
        platform::log(QStringLiteral("Could not find io classes of disk"));
        return false;
    }
    return isSolidStateDevice(info.st_dev);
}

bool SolidStateCache::isSolidStateDevice(dev_t device)
{
    const auto known = m_answers.constFind(device);
    if (known != m_answers.constEnd())
        return *known;
    // Without a block device (tmpfs, overlay, network) there is no drive to ask.
    bool answer = false;
    if (::major(device) == 0)
        platform::log(QStringLiteral("Could not find io classes of disk"));
    else
        answer = NSFileManagerUtils::isSolidStateDevice(::major(device), ::minor(device));
    m_answers.insert(device, answer);
    return answer;
}
