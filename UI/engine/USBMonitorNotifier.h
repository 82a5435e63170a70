#pragma once

#include "platform/MediaEventSource.h"

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

// Announces storage media coming and going: "RefreshAttachDevice" (no object) once per batch of
// media that appear, also for those present at start, and "RefreshDetachDevice" with
// {"USBPath": name} for every medium that goes. Runs on the thread that starts it.

void USBNotifier_init();
void USBNotifier_dealloc();
void registerForUSBNotifications();
void usbDeviceAdded(void *refCon, const MediaEventSource::Batch &iterator);
void usbDeviceRemoved(void *refCon, const MediaEventSource::Batch &iterator);

// Whether the key holds a value that fits the buffer as NUL-terminated UTF-8 (written there).
bool GetDictionaryStringVal(const QVariantMap &dictionary, const QString &key, char *buffer, int bufferSize);
bool GetBSDName(const QVariantMap &dictionary, char *buffer, int bufferSize);
// "/dev/" and the name, cut to fit the buffer. Linux has no separate raw device nodes, so the raw
// flag names the same node.
char *BSDName2DevPath(char *buffer, int bufferSize, const char *bsdName, bool raw);

// Where media events come from; the default watches the kernel's block devices. An empty factory
// restores it (tests).
using MediaEventSourceFactory = std::function<std::unique_ptr<MediaEventSource>()>;
void USBNotifier_setSourceFactory(MediaEventSourceFactory factory);
