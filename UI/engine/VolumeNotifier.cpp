#include "VolumeNotifier.h"

#include "platform/Log.h"
#include "platform/MountTableWatcher.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QFileInfo>
#include <QTimer>

#include <map>
#include <optional>

namespace {

constexpr int kStaleEjectMs = 600 * 1000;
const QString kDevicePath = QStringLiteral("NSDevicePath");

struct EjectEntry
{
    VolumeInfo record;
    std::unique_ptr<QTimer> timer;
};

std::optional<std::map<QString, EjectEntry>> g_ejectCache;
std::unique_ptr<VolumeEventSource> g_source;
VolumeNotifier::SourceFactory g_factory;
QString g_preferencesPath;
int g_staleEjectMs = kStaleEjectMs;

QString devicePath(const QVariantMap &userInfo)
{
    return userInfo.value(kDevicePath).toString();
}

bool showExisting()
{
    const std::optional<QVariantMap> preferences = PropertyList::readDictionary(VolumeNotifier::preferencesPath());
    return preferences && preferences->value(QStringLiteral("ShowExisting")).toBool();
}

} // namespace

const void *VolumeNotifier::postingObject()
{
    static const char tag = 0;
    return &tag;
}

void VolumeNotifier::setSourceFactory(SourceFactory factory)
{
    g_factory = std::move(factory);
}

void VolumeNotifier::setPreferencesPath(const QString &path)
{
    g_preferencesPath = path;
}

QString VolumeNotifier::preferencesPath()
{
    if (!g_preferencesPath.isEmpty())
        return g_preferencesPath;
    // Beside the person's own defaults folder, so it is theirs also when we run on their behalf.
    const QString ownFolder = QFileInfo(UserDefaults::defaultFilePath()).path();
    return QFileInfo(ownFolder).path() + QStringLiteral("/com.growl.hardwaregrowler.plist");
}

void VolumeNotifier::setStaleEjectIntervalMs(int milliseconds)
{
    g_staleEjectMs = milliseconds > 0 ? milliseconds : kStaleEjectMs;
}

QStringList VolumeNotifier::cachedEjectPaths()
{
    QStringList paths;
    if (g_ejectCache) {
        for (const auto &entry : *g_ejectCache)
            paths << entry.first;
    }
    return paths;
}

void VolumeNotifier::volumeDidMount(const QVariantMap &userInfo)
{
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("RefreshAttachDevice"), postingObject());
    platform::log(QStringLiteral("-------%1").arg(VolumeInfo::volumeInfoForMountWithPath(devicePath(userInfo)).description()));
}

void VolumeNotifier::volumeWillUnmount(const QVariantMap &userInfo)
{
    const QString path = devicePath(userInfo);
    if (path.isEmpty())
        return;
    if (!g_ejectCache)
        g_ejectCache.emplace();
    EjectEntry entry;
    entry.record = VolumeInfo::volumeInfoForUnmountWithPath(path);
    entry.timer = std::make_unique<QTimer>();
    entry.timer->setSingleShot(true);
    entry.timer->setInterval(g_staleEjectMs);
    entry.timer->setProperty("path", path);
    QTimer *timer = entry.timer.get();
    QObject::connect(timer, &QTimer::timeout, timer, [timer] { staleEjectItemTimerFired(timer); });
    timer->start();
    // A second announcement for the same path replaces the first; its timer goes with it.
    (*g_ejectCache)[path] = std::move(entry);
}

void VolumeNotifier::volumeDidUnmount(const QVariantMap &userInfo)
{
    const QString path = devicePath(userInfo);
    std::optional<VolumeInfo> cachedRecord;
    if (g_ejectCache && !path.isEmpty()) {
        const auto found = g_ejectCache->find(path);
        if (found != g_ejectCache->end())
            cachedRecord = found->second.record;
    }
    const VolumeInfo record = cachedRecord ? *cachedRecord
                                           : VolumeInfo::volumeInfoForUnmountWithPath(path.isEmpty() ? QString() : path);
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("RefreshDetachDevice"), postingObject());
    platform::log(QStringLiteral("----%1").arg(record.description()));
    if (cachedRecord)
        g_ejectCache->erase(path);
}

void VolumeNotifier::staleEjectItemTimerFired(QTimer *timer)
{
    if (!g_ejectCache || !timer)
        return;
    const QString path = timer->property("path").toString();
    auto found = g_ejectCache->find(path);
    if (found == g_ejectCache->end() || found->second.timer.get() != timer)
        return;
    // The timer is running its own signal: let it finish before it is destroyed.
    found->second.timer.release()->deleteLater();
    g_ejectCache->erase(found);
}

void VolumeNotifier_init()
{
    if (!g_ejectCache)
        g_ejectCache.emplace();
    g_source = g_factory ? g_factory() : std::make_unique<MountTableWatcher>();
    g_source->setDidMountHandler(&VolumeNotifier::volumeDidMount);
    g_source->setWillUnmountHandler(&VolumeNotifier::volumeWillUnmount);
    g_source->setDidUnmountHandler(&VolumeNotifier::volumeDidUnmount);
    if (showExisting()) {
        for (const QString &path : g_source->mountedLocalVolumePaths())
            platform::log(QStringLiteral("----%1").arg(VolumeInfo::volumeInfoForMountWithPath(path).description()));
    }
}

void VolumeNotifier_dealloc()
{
    g_source.reset();
    g_ejectCache.reset();
}
