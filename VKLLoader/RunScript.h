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

    // Starts the program at path as the administrator with the language code; does not wait.
    // The status is that of the start (0 when it was made).
    static qint32 RunTool(const QString &path);

    // The language code to start the main program with, from the user's first preferred language
    // and the main program's settings list; may store the chosen language's name there. Never
    // empty: the main program treats an empty argument as "not started by the launcher".
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
