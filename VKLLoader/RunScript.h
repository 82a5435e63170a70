#pragma once

#include <QString>
#include <QStringList>

// The launcher's work: choose the interface language, then start the main program as the
// administrator with the language code as its one argument. Class methods only.
class RunScript
{
public:
    RunScript() = delete;

    // The main program inside the launcher's bundle.
    static QString mainProgramPath(const QString &outerBundlePath);

    // Starts the program at path as the administrator with the language code and answers once it
    // runs or could not be started; it does not wait for the program to end. The status is
    // Authorization's (0 when the program runs).
    static qint32 RunTool(const QString &path);

    // The launcher's run: starts the bundle's main program and answers the exit status, 0 once the
    // program runs. Why it could not start is told to the person (LaunchNotice); a dismissed
    // password prompt is their own answer and is not.
    static int Launch(const QString &outerBundlePath);

    // The language code to start the main program with, from the user's first preferred language
    // and the main program's settings list (read, never written: it belongs to root). The choice
    // made at the first start is kept with the person's defaults. Never empty: the main program
    // treats an empty argument as "not started by the launcher".
    static QString GetCurrentLanaguage();

    // Runs path with the arguments (as an argument vector, never through a shell) and waits.
    // On success *output is what it printed and the answer is true; otherwise *errorDescription
    // says why, or is left empty when nothing was said.
    static bool runProcess(const QString &path, const QStringList &arguments, QString *output,
                           QString *errorDescription, bool asAdministrator);

    // Self-tests of the above; nothing calls them in normal use.
    static void Test();
    static void Test2();
    static void Test3();

private:
    static void logIdentityRun(bool asAdministrator);
};
