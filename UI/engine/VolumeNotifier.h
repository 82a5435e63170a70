#pragma once

#include "VolumeInfo.h"

#include "platform/VolumeEventSource.h"

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class QTimer;

// Announces volumes being mounted ("RefreshAttachDevice") and unmounted ("RefreshDetachDevice"),
// both with postingObject() as their object. A volume about to go is recorded while it can still
// be read, and the record is kept for ten minutes or until the volume has gone.
class VolumeNotifier
{
public:
    VolumeNotifier() = delete;

    static void volumeDidMount(const QVariantMap &userInfo);
    static void volumeWillUnmount(const QVariantMap &userInfo);
    static void volumeDidUnmount(const QVariantMap &userInfo);
    static void staleEjectItemTimerFired(QTimer *timer);

    static const void *postingObject();
    // Paths with a recorded volume that is about to go (tests).
    static QStringList cachedEjectPaths();

    // Seams for tests; empty values restore the defaults (the mount table, the preference file in
    // the person's configuration folder, ten minutes).
    using SourceFactory = std::function<std::unique_ptr<VolumeEventSource>()>;
    static void setSourceFactory(SourceFactory factory);
    static void setPreferencesPath(const QString &path);
    static QString preferencesPath();
    static void setStaleEjectIntervalMs(int milliseconds);
};

void VolumeNotifier_init();
void VolumeNotifier_dealloc();
