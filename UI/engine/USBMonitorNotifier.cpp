#include "USBMonitorNotifier.h"

#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UdevMediaMonitor.h"

#include <QLocale>

#include <cstdio>
#include <cstring>

namespace {

std::unique_ptr<MediaEventSource> g_source;
MediaEventSourceFactory g_factory;

constexpr int kMaxNameBytes = 255;

// The bundle's translation of the key for the user's languages; the key itself without one.
QString localizedString(const QString &key)
{
    const Bundle bundle = Bundle::mainBundle();
    QStringList languages = QLocale().uiLanguages();
    languages << QStringLiteral("en") << QStringLiteral("Base");
    for (QString language : languages) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        for (const QString &candidate : {language, language.section(QLatin1Char('_'), 0, 0)}) {
            const QString table = bundle.resourcePath() + QLatin1Char('/') + candidate + QStringLiteral(".lproj/Localizable.strings");
            const std::optional<QVariantMap> strings = PropertyList::readDictionary(table);
            if (strings && strings->contains(key))
                return strings->value(key).toString();
        }
    }
    return key;
}

// The name cut to at most 255 bytes of UTF-8, never inside a character.
QString limitedName(const QString &name)
{
    QByteArray bytes = name.toUtf8();
    if (bytes.size() <= kMaxNameBytes)
        return name;
    qsizetype end = kMaxNameBytes;
    while (end > 0 && (static_cast<unsigned char>(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    return QString::fromUtf8(bytes.left(end));
}

} // namespace

void USBNotifier_setSourceFactory(MediaEventSourceFactory factory)
{
    g_factory = std::move(factory);
}

void USBNotifier_init()
{
    g_source = g_factory ? g_factory() : std::make_unique<UdevMediaMonitor>();
    registerForUSBNotifications();
}

void USBNotifier_dealloc()
{
    g_source.reset();
}

void registerForUSBNotifications()
{
    if (!g_source)
        return;
    MediaEventSource::Batch present;
    int status = g_source->addPublishNotification([](const MediaEventSource::Batch &batch) { usbDeviceAdded(nullptr, batch); },
                                                  &present);
    if (status != 0)
        platform::logf("matching notification registration failed: %d", status);
    else
        usbDeviceAdded(nullptr, present);

    MediaEventSource::Batch gone;
    status = g_source->addTerminateNotification([](const MediaEventSource::Batch &batch) { usbDeviceRemoved(nullptr, batch); },
                                                &gone);
    if (status != 0)
        platform::log(QStringLiteral("Couldn't add device removal notification"));
    else
        usbDeviceRemoved(nullptr, gone);
}

void usbDeviceAdded(void *, const MediaEventSource::Batch &)
{
    platform::log(QStringLiteral("USB Device Added Notification."));
    NotificationCenter::defaultCenter().postNotification(QStringLiteral("RefreshAttachDevice"));
}

void usbDeviceRemoved(void *, const MediaEventSource::Batch &iterator)
{
    for (const std::optional<QString> &entry : iterator) {
        if (!entry)
            continue;
        QString name = *entry;
        platform::log(QStringLiteral("usb detatch name = %1").arg(name));
        if (name == QStringLiteral("OHCI Root Hub Simulation"))
            name = localizedString(QStringLiteral("USB Bus"));
        else if (name == QStringLiteral("EHCI Root Hub Simulation"))
            name = localizedString(QStringLiteral("USB 2.0 Bus"));
        NotificationCenter::defaultCenter().postNotification(QStringLiteral("RefreshDetachDevice"), nullptr,
                                                             {{QStringLiteral("USBPath"), limitedName(name)}});
    }
}

bool GetDictionaryStringVal(const QVariantMap &dictionary, const QString &key, char *buffer, int bufferSize)
{
    if (!buffer || bufferSize <= 0)
        return false;
    const auto found = dictionary.constFind(key);
    if (found == dictionary.constEnd() || !found->canConvert<QString>())
        return false;
    const QByteArray bytes = found->toString().toUtf8();
    if (bytes.size() >= bufferSize)
        return false;
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
    return true;
}

bool GetBSDName(const QVariantMap &dictionary, char *buffer, int bufferSize)
{
    return GetDictionaryStringVal(dictionary, QStringLiteral("BSD Name"), buffer, bufferSize);
}

char *BSDName2DevPath(char *buffer, int bufferSize, const char *bsdName, bool)
{
    if (!buffer || bufferSize <= 0)
        return buffer;
    std::snprintf(buffer, static_cast<size_t>(bufferSize), "/dev/%s", bsdName ? bsdName : "");
    return buffer;
}
