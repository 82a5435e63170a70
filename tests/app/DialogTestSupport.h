#pragma once

// Shared pieces of the dialog tests: a bundle with the settings list and the window images, a
// workspace that records instead of starting a browser, and preview rendering.
#include "ImageLibrary.h"
#include "common/TestSupport.h"
#include "platform/PropertyList.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>
#include <memory>

namespace dialogtest {

inline QVariantMap settingsList(const QString &iniUrl = QStringLiteral("http://127.0.0.1:9/version.plist"))
{
    QVariantMap en{{QStringLiteral("IniURL"), iniUrl},
                   {QStringLiteral("UpdateURL"), QStringLiteral("https://example.test/download")},
                   {QStringLiteral("AboutURL"), QStringLiteral("https://example.test/about")}};
    QVariantMap de{{QStringLiteral("AboutURL"), QStringLiteral("https://example.test/de/about")}};
    return QVariantMap{{QStringLiteral("PRODUCTNAME"), QStringLiteral("Ostrivan Nullwell")},
                       {QStringLiteral("VersionCheck"), 100},
                       {QStringLiteral("en"), en},
                       {QStringLiteral("de"), de}};
}

// A bundle whose settings list is the given one, with every window image of the source tree.
class DialogBundle
{
public:
    explicit DialogBundle(const QVariantMap &settings = settingsList())
    {
        writeSettings(settings);
        const QDir images(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/images"));
        for (const QString &name : images.entryList({QStringLiteral("*.svg")}, QDir::Files))
            QFile::copy(images.filePath(name), QDir(m_bundle.resourcePath()).filePath(name));
        ImageLibrary::clearCache();
    }
    ~DialogBundle() { ImageLibrary::clearCache(); }
    void writeSettings(const QVariantMap &settings)
    {
        PropertyList::write(QDir(m_bundle.resourcePath()).filePath(QStringLiteral("StringMessage.plist")), settings);
    }

private:
    testsupport::TempBundle m_bundle;
};

class RecordingWorkspace : public Workspace
{
public:
    RecordingWorkspace() { Workspace::setSharedWorkspaceOverride(this); }
    ~RecordingWorkspace() override { Workspace::setSharedWorkspaceOverride(nullptr); }
    bool openURL(const QString &url) override
    {
        urls << url;
        return true;
    }
    QStringList urls;
};

inline void savePreview(QWidget *window, const QString &name)
{
    const QString folder = testsupport::previewFolder(QStringLiteral("windows"));
    window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace dialogtest
