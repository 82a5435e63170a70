#pragma once

// What the main-window and application-delegate suites share: a bundle with the settings list,
// the history database, the window images and a stand-in "srm"; a workspace and panels that
// record instead of reaching out.
#include "DialogTestSupport.h"
#include "ImageLibrary.h"
#include "Panels.h"
#include "common/TestSupport.h"
#include "platform/PropertyList.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QVariantMap>

namespace mainwindow {

inline QVariantMap settingsList()
{
    const QVariantMap en{{QStringLiteral("IniURL"), QStringLiteral("http://127.0.0.1:9/version.plist")},
                         {QStringLiteral("UserGuide"), QStringLiteral("https://example.test/guide")},
                         {QStringLiteral("SupportTeam"), QStringLiteral("https://example.test/support")},
                         {QStringLiteral("OnlineHelp"), QStringLiteral("https://example.test/help")},
                         {QStringLiteral("Translate"), QStringLiteral("https://example.test/translate")}};
    return QVariantMap{{QStringLiteral("PRODUCTNAME"), QStringLiteral("Free")},
                       {QStringLiteral("VersionCheck"), 100},
                       {QStringLiteral("en"), en}};
}

// The default "srm" stand-in removes each file it is given; in a body, $1 is the flag string and $2
// the path (see testsupport::standInTool).
class MainBundle
{
public:
    MainBundle()
    {
        PropertyList::write(QDir(m_bundle.resourcePath()).filePath(QStringLiteral("StringMessage.plist")),
                            settingsList());
        m_bundle.copyBuiltResource(QStringLiteral("DataBase.db"));
        const QDir images(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/images"));
        for (const QString &name : images.entryList({QStringLiteral("*.svg")}, QDir::Files))
            QFile::copy(images.filePath(name), QDir(m_bundle.resourcePath()).filePath(name));
        ImageLibrary::clearCache();
        installTool(QStringLiteral("rm -f -- \"$2\"\n"));
    }
    ~MainBundle() { ImageLibrary::clearCache(); }

    // The real overwrite tool the build ships, in place of the stand-in.
    void installBuiltTool() const
    {
        const QString path = m_bundle.copyBuiltResource(QStringLiteral("srm"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void installTool(const QString &body) const
    {
        const QString path =
            m_bundle.writeResource(QStringLiteral("srm"), testsupport::standInTool(body.toUtf8()));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    testsupport::TempBundle m_bundle;
};

// Records opened files and revealed items as well as web addresses.
class RecordingWorkspace : public dialogtest::RecordingWorkspace
{
public:
    bool openFile(const QString &path) override
    {
        opened << path;
        return true;
    }
    bool selectFile(const QString &path) override
    {
        selected << path;
        return true;
    }
    QStringList opened;
    QStringList selected;
};

// Answers the open panel with a fixed choice and records alerts.
class FakePanels : public Panels
{
public:
    FakePanels() { Panels::setSharedOverride(this); }
    ~FakePanels() override { Panels::setSharedOverride(nullptr); }
    OpenResult runOpenPanel(QWidget *parent, const OpenOptions &options) override
    {
        Q_UNUSED(parent);
        lastOptions = options;
        ++openPanels;
        return answer;
    }
    void runAlert(QWidget *parent, const QString &message, const QString &informativeText,
                  AlertStyle style) override
    {
        Q_UNUSED(parent);
        Q_UNUSED(informativeText);
        Q_UNUSED(style);
        alerts << message;
    }
    OpenResult answer;
    OpenOptions lastOptions;
    int openPanels = 0;
    QStringList alerts;
};

} // namespace mainwindow
