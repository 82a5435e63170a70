#include "platform/DBusPowerAssertion.h"

#include "platform/InvokingUser.h"
#include "platform/UserProcess.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindInterface = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int kCallTimeoutMs = 2000;

PowerAssertion *&overrideInstance()
{
    static PowerAssertion *instance = nullptr;
    return instance;
}

QString applicationName()
{
    const QString name = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    return name.isEmpty() ? QStringLiteral(NULLWELL_PRODUCT) : name;
}

bool isReply(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

} // namespace

PowerAssertion &PowerAssertion::shared()
{
    if (PowerAssertion *test = overrideInstance())
        return *test;
    static DBusPowerAssertion assertion;
    return assertion;
}

void PowerAssertion::setSharedOverride(PowerAssertion *assertion)
{
    overrideInstance() = assertion;
}

DBusPowerAssertion::DBusPowerAssertion(Transport transport, std::optional<SessionOwner> sessionOwner)
    : m_transport(std::move(transport)),
      m_sessionOwner(
          sessionOwner.value_or(InvokingUser::find() ? SessionOwner::InvokingUser : SessionOwner::Ours))
{
}

DBusPowerAssertion::~DBusPowerAssertion()
{
    // Inhibitors die with the process anyway; closing the descriptors just says so sooner.
    for (const Held &held : std::as_const(m_held)) {
        if (held.logindFd >= 0)
            ::close(held.logindFd);
    }
}

QDBusMessage DBusPowerAssertion::callRealBus(Bus bus, const QDBusMessage &call)
{
    QDBusConnection connection =
        bus == Bus::Session ? QDBusConnection::sessionBus() : QDBusConnection::systemBus();
    if (!connection.isConnected())
        return call.createErrorReply(QDBusError::Disconnected, QStringLiteral("bus not reachable"));
    return connection.call(call, QDBus::Block, kCallTimeoutMs);
}

QDBusMessage DBusPowerAssertion::send(Bus bus, const QDBusMessage &call) const
{
    return m_transport ? m_transport(bus, call) : callRealBus(bus, call);
}

int DBusPowerAssertion::createWithName(const QString &type, int level, const QString &name,
                                       AssertionID *assertionID)
{
    if (!assertionID || type != kPreventUserIdleDisplaySleep || level != kLevelOn)
        return kReturnBadArgument;

    Held held;
    if (m_sessionOwner == SessionOwner::Ours) {
        QDBusMessage inhibit = QDBusMessage::createMethodCall(
            kScreenSaverService, kScreenSaverPath, kScreenSaverInterface, QStringLiteral("Inhibit"));
        inhibit << applicationName() << name;
        const QDBusMessage cookie = send(Bus::Session, inhibit);
        if (isReply(cookie))
            held.screenSaverCookie = cookie.arguments().constFirst().toUInt();
    }

    QDBusMessage idle = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindInterface,
                                                       QStringLiteral("Inhibit"));
    idle << QStringLiteral("idle") << applicationName() << name << QStringLiteral("block");
    const QDBusMessage lock = send(Bus::System, idle);
    if (isReply(lock)) {
        const auto fd = qvariant_cast<QDBusUnixFileDescriptor>(lock.arguments().constFirst());
        // The reply's copy closes with the message; the inhibitor lasts as long as our own copy.
        if (fd.isValid())
            held.logindFd = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
    }

    QMutexLocker locker(&m_mutex);
    *assertionID = ++m_lastID;
    m_held.insert(*assertionID, held);
    return held.screenSaverCookie || held.logindFd >= 0 ? kReturnSuccess : kReturnError;
}

int DBusPowerAssertion::release(AssertionID assertionID)
{
    Held held;
    {
        QMutexLocker locker(&m_mutex);
        if (!m_held.contains(assertionID))
            return kReturnBadArgument;
        held = m_held.take(assertionID);
    }
    if (held.logindFd >= 0)
        ::close(held.logindFd);
    if (held.screenSaverCookie) {
        QDBusMessage uninhibit = QDBusMessage::createMethodCall(
            kScreenSaverService, kScreenSaverPath, kScreenSaverInterface, QStringLiteral("UnInhibit"));
        uninhibit << *held.screenSaverCookie;
        send(Bus::Session, uninhibit);
    }
    return kReturnSuccess;
}

void DBusPowerAssertion::updateSystemActivity(int activity)
{
    Q_UNUSED(activity);
    if (m_sessionOwner == SessionOwner::InvokingUser) {
        if (!UserProcess::reachesSessionBus())
            return;
        UserProcess(QStringLiteral("dbus-send"),
                    {QStringLiteral("--session"), QStringLiteral("--type=method_call"),
                     QStringLiteral("--dest=") + kScreenSaverService, kScreenSaverPath,
                     kScreenSaverInterface + QStringLiteral(".SimulateUserActivity")})
            .startDetached();
        return;
    }
    const QDBusMessage poke = QDBusMessage::createMethodCall(
        kScreenSaverService, kScreenSaverPath, kScreenSaverInterface, QStringLiteral("SimulateUserActivity"));
    send(Bus::Session, poke);
}
