#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Running programs as the administrator. A normal user goes through polkit's pkexec, which shows
// the desktop's password prompt; a process that already is root starts the program itself.
class Authorization
{
public:
    // Status codes of the calls below.
    static constexpr qint32 kSuccess = 0;
    static constexpr qint32 kDenied = -60005;
    static constexpr qint32 kCanceled = -60006;
    static constexpr qint32 kToolExecuteFailure = -60031;
    // The means of asking for the right (pkexec) is not there.
    static constexpr qint32 kToolEnvironmentError = -60032;
    // pkexec is there, but no polkit authentication agent can ask for the password.
    static constexpr qint32 kNoAuthenticationAgent = -60033;
    // pkexec's exit status when the prompt was dismissed (its own text agent's prompt).
    static constexpr int kPkexecNotAuthorized = 126;
    // pkexec's exit status for every other way the start ended without the right: a desktop
    // agent's dismissed prompt, a refusal, no agent.
    static constexpr int kPkexecFailed = 127;

    // Whether this process runs as root; tests may pretend either way.
    static bool isAdministrator();
    static void setAdministratorOverride(std::optional<bool> administrator);

    // pkexec as found on PATH; empty when it is not installed.
    static QString pkexecPath();

    // The argument vector that runs program with arguments as the administrator (pkexec in front,
    // or nothing in front when we are root). Nothing when pkexec is needed but missing.
    static std::optional<QStringList> administratorCommand(const QString &program,
                                                           const QStringList &arguments);

    // Starts program as the administrator and answers once it runs (kSuccess) or the start has
    // ended without it: kCanceled when the person dismissed the prompt, kDenied when the right was
    // refused, kNoAuthenticationAgent when nothing could ask, kToolEnvironmentError without pkexec,
    // kToolExecuteFailure when the program (or pkexec) cannot be executed. It does not wait for
    // the program itself; the program outlives the caller.
    static qint32 executeWithPrivileges(const QString &program, const QStringList &arguments);

    // What a pkexec start that ended with exitStatus and wrote said to standard error means:
    // kCanceled (dismissed, also after wrong passwords), kNoAuthenticationAgent, kDenied (refused,
    // or the password was not accepted), else kToolExecuteFailure.
    static qint32 pkexecOutcome(int exitStatus, const QString &said);

    // Starts an argument vector in a session of its own, under a watching process of that session,
    // and answers as executeWithPrivileges does; program is the one that should end up running.
    static qint32 spawnInOwnSession(const QStringList &argv, const QString &program);
};
