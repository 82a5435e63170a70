#pragma once

#include <QByteArray>
#include <QStringList>

// pkexec starts us as root with a scrubbed environment: without the user's display and session
// bus the window cannot open and the session's idle inhibitor cannot be reached. The process that
// asked pkexec for us is still there, our parent, running as that user with their environment.
class CallerSession
{
public:
    // The variables that lead to the user's display and session bus; nothing else is taken over.
    static const QStringList &variables();

    // When we run as root for the user named by PKEXEC_UID, sets those of variables() we lack
    // from our parent's environment, provided the parent is that user's process. Answers the names set.
    static QStringList adoptFromParent();

    // The decision itself: parentEnvironment is /proc/<pid>/environ's content.
    static QStringList adopt(uint invokingUid, uint parentUid, const QByteArray &parentEnvironment);
};
