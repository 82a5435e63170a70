#pragma once

#include <QByteArray>
#include <QStringList>

// pkexec starts us as root with a scrubbed environment: without the user's display the window
// cannot open. The process that asked pkexec for us is still there, our parent, running as that
// user with their environment. Nothing from there (or from what pkexec passed on) is taken on
// trust: each value must have the plain form of its kind and lead to something of that user's.
class CallerSession
{
public:
    // The variables that lead to the user's display and session bus; nothing else is taken over.
    static const QStringList &variables();

    // When we run as root for the user named by PKEXEC_UID, takes those of variables() we lack
    // from our parent's environment, provided the parent is that user's process. Answers the names
    // taken.
    static QStringList adoptFromParent();

    // The decision itself: parentEnvironment is /proc/<pid>/environ's content. Values we already
    // have are checked the same way and dropped when they fail. The session bus is the user's
    // alone: its address is kept for helpers started as the user (InvokingUser::sessionValues)
    // and our own is pointed nowhere, so no library connects root to it.
    static QStringList adopt(uint invokingUid, uint parentUid, const QByteArray &parentEnvironment);

    // Whether value is acceptable for the variable on behalf of the user; *why says why not.
    static bool isAcceptable(const QString &name, const QByteArray &value, uint invokingUid,
                             QString *why = nullptr);

    // Our own session bus address while we act for someone: connects to nothing.
    static constexpr const char *kClosedBusAddress = "unix:path=/dev/null";
};
