#pragma once

#include <QString>

// Opens other applications the way the desktop would: an application is a bundle folder
// (X.app/Contents/MacOS/...) or an executable file, started detached so it outlives us.
class Workspace
{
public:
    virtual ~Workspace() = default;

    // The process-wide workspace, or the one a test put in its place.
    static Workspace &sharedWorkspace();
    // Makes sharedWorkspace() answer this instance (tests); nullptr restores the real one. Not owned.
    static void setSharedWorkspaceOverride(Workspace *workspace);

    // The executable a bundle starts: the file in Contents/MacOS named after the bundle, else the
    // only executable file there. Empty when there is none (or more than one to choose from).
    static QString executableForBundle(const QString &bundlePath);

    // True when the application's executable was found and started; it is not waited for.
    virtual bool launchApplication(const QString &appPath);
};
