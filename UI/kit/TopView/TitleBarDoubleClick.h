#pragma once

#include <QString>

#include <functional>
#include <optional>

// What a double click on a title bar does, as the desktop is set: GNOME and the desktops that
// share its settings keep it in "action-double-click-titlebar" (read through gsettings), KDE in
// kwinrc's "TitlebarDoubleClickCommand". Where neither can be read, the window zooms: the default
// of the X11 and Wayland desktops. Settings are those of the account the program runs as.
class TitleBarDoubleClick
{
public:
    TitleBarDoubleClick() = delete;

    enum class Action { Zoom, Minimize, Nothing };

    struct Choice
    {
        Action action = Action::Zoom;
        // Where the action came from: "gsettings", "kwinrc" or "default".
        QString source;
    };

    // The desktop's choice, read once per process.
    static Choice current();
    // The action a setting's value names. GNOME's values ("toggle-maximize", "minimize", "none",
    // ...) and KWin's ("Maximize", "Minimize", "Nothing", ...); nothing for a value that asks for
    // what a drawn title bar does not do (shading, lowering, a menu), which is then done as nothing.
    static Action fromGnome(const QString &value);
    static Action fromKWin(const QString &value);

    // Tests: a choice to answer instead of the desktop's; empty reads the desktop again.
    static void setOverride(std::optional<Choice> choice);
};
