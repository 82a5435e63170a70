#pragma once

#include "platform/PowerAssertion.h"

#include <QDBusMessage>
#include <QMap>
#include <QMutex>
#include <functional>
#include <optional>

// Assertions as desktop inhibitors: the session's screen saver (org.freedesktop.ScreenSaver) and
// logind's idle inhibitor, whose file descriptor is the inhibitor itself and is held until release.
// Either bus may be missing or refuse; that is not an error for the caller.
// Root acting for someone holds logind's inhibitor (the system bus serves root) but never talks
// to that person's session bus itself: activity reports go out from a helper running as the person,
// and the screen saver's inhibitor, which lives only as long as its caller's connection, is not taken.
class DBusPowerAssertion : public PowerAssertion
{
public:
    enum class Bus { Session, System };
    // Whose session bus it is: ours, or that of the person we act for.
    enum class SessionOwner { Ours, InvokingUser };
    // Sends one method call and answers the reply (an error message when the bus is missing).
    using Transport = std::function<QDBusMessage(Bus bus, const QDBusMessage &call)>;

    // Without a transport the real session and system buses are used; without an owner it is the
    // person's when InvokingUser::find() has one.
    explicit DBusPowerAssertion(Transport transport = Transport(),
                                std::optional<SessionOwner> sessionOwner = std::nullopt);
    ~DBusPowerAssertion() override;

    int createWithName(const QString &type, int level, const QString &name,
                       AssertionID *assertionID) override;
    int release(AssertionID assertionID) override;
    void updateSystemActivity(int activity) override;

    // The real buses, with a short timeout so a stuck service cannot hold up start-up.
    static QDBusMessage callRealBus(Bus bus, const QDBusMessage &call);

private:
    struct Held
    {
        std::optional<quint32> screenSaverCookie;
        int logindFd = -1;
    };

    QDBusMessage send(Bus bus, const QDBusMessage &call) const;

    Transport m_transport;
    SessionOwner m_sessionOwner;
    QMutex m_mutex;
    QMap<AssertionID, Held> m_held;
    AssertionID m_lastID = 0;
};
