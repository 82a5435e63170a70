#pragma once

#include <QString>

// Tells the person why the program did not start. The line goes to standard error at once; the
// dialog comes once the launcher's own work is done (showPending), where a display is at hand.
// Tests put a recorder in its place.
class LaunchNotice
{
public:
    virtual ~LaunchNotice() = default;

    static LaunchNotice &shared();
    // Makes shared() answer this instance (tests); nullptr restores the real one. Not owned.
    static void setSharedOverride(LaunchNotice *notice);

    virtual void show(const QString &message);

    // Shows what show() was given in a small dialog, when a display is named. Needs the process's
    // application object to be gone: it makes one with widgets for the dialog.
    static void showPending(int argc, char *argv[]);
};
