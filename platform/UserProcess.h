#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// A program started for the person we act for. When we are root on someone's behalf it runs with
// that person's user, groups and home, in an environment of theirs built from checked values
// (InvokingUser::sessionValues), never with ours. A process of its own user starts programs as it
// is; a root process that does not know its person starts nothing and says so in the log.
// Everything is prepared on construction, so start and run may be called from any thread.
class UserProcess
{
public:
    // The program is a path or a name looked up on our own PATH; an empty one makes an invalid process.
    UserProcess(const QString &program, const QStringList &arguments);

    // False when there is no program to start or no one to start it as (already logged).
    bool isValid() const;

    // Whether a program started this way finds a session bus: acting for someone, only an address
    // taken from their session leads to theirs (without one, D-Bus would start a bus of its own).
    static bool reachesSessionBus();

    // Starts the program in a session of its own without waiting for it; true once it was executed.
    bool startDetached() const;
    // Runs the program and waits up to timeoutMs; its exit status, or -1 when it could not run,
    // was killed or took longer (it is then killed).
    int run(int timeoutMs) const;

    // What a start needs, built before any fork.
    struct Prepared;

private:
    std::shared_ptr<const Prepared> m_prepared;
};
