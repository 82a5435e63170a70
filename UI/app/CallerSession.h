#pragma once

#include <QByteArray>
#include <QStringList>

// pkexec starts us as root with a scrubbed environment: without the user's display the window
// cannot open. The process that asked pkexec for us may still be there, our parent, running as that
// user with their environment; often it is gone by the time we run, and then the user's runtime
// folder (with the session bus in it) is found where the system keeps it. Nothing from there (or
// from what pkexec passed on) is taken on trust: each value must have the plain form of its kind
// and lead to something of that user's. Only this machine's own displays are used, and the X
// library is always given an authority file (the user's own, or an empty one of ours), so root's
// own cookies never leave it.
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
    // have are checked the same way and dropped when they fail; a runtime folder or bus missing
    // from both is looked for in the user's runtime folder. The runtime folder and session bus are
    // the user's alone: they are kept for helpers started as the user (InvokingUser::sessionValues),
    // our own bus is pointed nowhere and our own runtime folder is a private one of root's.
    static QStringList adopt(uint invokingUid, uint parentUid, const QByteArray &parentEnvironment);

    // Where each user's runtime folder lies (<base>/<uid>); tests point it elsewhere.
    static void setRuntimeFolderBase(const QString &base);

    // Whether value is acceptable for the variable on behalf of the user; *why says why not.
    static bool isAcceptable(const QString &name, const QByteArray &value, uint invokingUid,
                             QString *why = nullptr);

    // Our own session bus address while we act for someone: connects to nothing.
    static constexpr const char *kClosedBusAddress = "unix:path=/dev/null";
};
