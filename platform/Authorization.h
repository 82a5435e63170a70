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
    // pkexec's exit status when the prompt was dismissed or the password refused.
    static constexpr int kPkexecNotAuthorized = 126;

    // Whether this process runs as root; tests may pretend either way.
    static bool isAdministrator();
    static void setAdministratorOverride(std::optional<bool> administrator);

    // pkexec as found on PATH; empty when it is not installed.
    static QString pkexecPath();

    // The argument vector that runs program with arguments as the administrator (pkexec in front,
    // or nothing in front when we are root). Nothing when pkexec is needed but missing.
    static std::optional<QStringList> administratorCommand(const QString &program, const QStringList &arguments);

    // Starts program as the administrator without waiting for it. The start is made from a small
    // process in a session of its own that stays alive while pkexec asks for the password (pkexec
    // refuses a caller whose parent has gone), so the caller may end at once. kSuccess means the
    // program (or pkexec) was started; a cancelled prompt then simply starts nothing.
    static qint32 executeWithPrivileges(const QString &program, const QStringList &arguments);

    // Starts an argument vector in its own session, its parent a waiting process of that session,
    // and returns once the first program was executed (true) or could not be (false).
    static bool spawnInOwnSession(const QStringList &argv);
};
