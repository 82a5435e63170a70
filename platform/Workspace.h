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

    // Opens a web address in the person's browser. We run as root on the person's behalf, so the
    // browser is started as that person (UserProcess), never as root.
    virtual bool openURL(const QString &url);
    // Opens a file or folder with the person's default application, as that person.
    virtual bool openFile(const QString &path);
    // Shows the item selected in the person's file manager, or opens its folder when no file
    // manager answers. True when that was set going; the answer is awaited in the background.
    virtual bool selectFile(const QString &path);

    // Starts a desktop helper detached, as the invoking person when we are root through pkexec.
    // True when the program was executed.
    static bool startAsInvokingUser(const QString &program, const QStringList &arguments);
};
