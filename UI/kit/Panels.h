#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The open panel, the save panel and alerts: everything that waits for the person's answer goes
// through here, so tests can answer in its place (setSharedOverride). The panels show the places of
// the person we act for (their home and folders), not those of the account we run as.
class Panels
{
public:
    struct OpenOptions
    {
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool showsHiddenFiles = false;
        bool allowsMultipleSelection = false;
        QString prompt;    // the confirm button's text
        QString directory; // where the panel starts
        QRect frame;       // the panel's frame (global, top-left origin); empty for its own size
    };
    struct OpenResult
    {
        bool ok = false;
        QStringList paths; // in the order the panel gives them
        QRect frame;       // the frame the panel had when it closed
    };
    struct SaveOptions
    {
        QString nameFieldValue;
        bool extensionHidden = true;
        bool canCreateDirectories = true;
        QString directory; // where the panel starts; empty for the person's home
    };
    enum class AlertStyle { Warning, Informational, Critical };

    virtual ~Panels() = default;

    static Panels &shared();
    // Makes shared() answer this instance (tests); nullptr restores the real one. Not owned.
    static void setSharedOverride(Panels *panels);
    // The home of the person we act for, else our own.
    static QString personsHome();

    // Runs the open panel as a window-modal sheet of the parent and answers when it closes.
    virtual OpenResult runOpenPanel(QWidget *parent, const OpenOptions &options);
    // The chosen path, or nothing when the person cancelled.
    virtual std::optional<QString> runSavePanel(QWidget *parent, const SaveOptions &options);
    // A modal alert with one default button.
    virtual void runAlert(QWidget *parent, const QString &message, const QString &informativeText = QString(),
                          AlertStyle style = AlertStyle::Warning);
};
