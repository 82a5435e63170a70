// The idle inhibitors over D-Bus, against a recording transport instead of the buses.
#include "platform/DBusPowerAssertion.h"

#include "common/TestSupport.h"
#include "platform/InvokingUser.h"

#include <gtest/gtest.h>

#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bus = DBusPowerAssertion::Bus;

struct Recorded
{
    Bus bus;
    QDBusMessage call;
};

// Whether every writer of the pipe is gone (the inhibitor's descriptor was closed).
bool writersClosed(int readFd)
{
    pollfd entry{readFd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLHUP);
}

class DBusInhibitor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::pipe(m_pipe), 0);
        m_transport = [this](Bus bus, const QDBusMessage &call) {
            m_calls.push_back({bus, call});
            if (!m_answer)
                return call.createErrorReply(QDBusError::ServiceUnknown, QStringLiteral("no such service"));
            if (call.member() == QLatin1String("Inhibit") && bus == Bus::Session)
                return call.createReply(QVariant::fromValue(quint32(1234)));
            if (call.member() == QLatin1String("Inhibit") && bus == Bus::System)
                return call.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(m_pipe[1])));
            return call.createReply();
        };
    }
    void TearDown() override
    {
        ::close(m_pipe[0]);
        if (m_pipe[1] >= 0)
            ::close(m_pipe[1]);
    }

    QStringList members() const
    {
        QStringList out;
        for (const Recorded &r : m_calls)
            out.append((r.bus == Bus::Session ? QStringLiteral("session:") : QStringLiteral("system:")) +
                       r.call.member());
        return out;
    }

    int m_pipe[2] = {-1, -1};
    bool m_answer = true;
    std::vector<Recorded> m_calls;
    DBusPowerAssertion::Transport m_transport;
};

} // namespace

TEST_F(DBusInhibitor, TakesBothInhibitorsAndHoldsTheDescriptorUntilRelease)
{
    DBusPowerAssertion assertion(m_transport);
    PowerAssertion::AssertionID id = 0;
    EXPECT_EQ(assertion.createWithName(QStringLiteral("PreventUserIdleDisplaySleep"), 255,
                                       QStringLiteral("Ostrivan Nullwell is running"), &id),
              PowerAssertion::kReturnSuccess);
    EXPECT_NE(id, 0u);
    ASSERT_EQ(members(), (QStringList{QStringLiteral("session:Inhibit"), QStringLiteral("system:Inhibit")}));

    const QDBusMessage &screenSaver = m_calls[0].call;
    EXPECT_EQ(screenSaver.service(), QStringLiteral("org.freedesktop.ScreenSaver"));
    EXPECT_EQ(screenSaver.path(), QStringLiteral("/org/freedesktop/ScreenSaver"));
    EXPECT_EQ(screenSaver.interface(), QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_EQ(screenSaver.arguments().size(), 2);
    EXPECT_EQ(screenSaver.arguments()[1].toString(), QStringLiteral("Ostrivan Nullwell is running"));

    const QDBusMessage &logind = m_calls[1].call;
    EXPECT_EQ(logind.service(), QStringLiteral("org.freedesktop.login1"));
    EXPECT_EQ(logind.path(), QStringLiteral("/org/freedesktop/login1"));
    EXPECT_EQ(logind.interface(), QStringLiteral("org.freedesktop.login1.Manager"));
    ASSERT_EQ(logind.arguments().size(), 4);
    EXPECT_EQ(logind.arguments()[0].toString(), QStringLiteral("idle"));
    EXPECT_EQ(logind.arguments()[2].toString(), QStringLiteral("Ostrivan Nullwell is running"));
    EXPECT_EQ(logind.arguments()[3].toString(), QStringLiteral("block"));

    // Only our copy of the inhibitor's descriptor remains once the test's own is closed.
    ::close(m_pipe[1]);
    m_pipe[1] = -1;
    EXPECT_FALSE(writersClosed(m_pipe[0]));

    EXPECT_EQ(assertion.release(id), PowerAssertion::kReturnSuccess);
    EXPECT_TRUE(writersClosed(m_pipe[0]));
    ASSERT_EQ(m_calls.size(), 3u);
    EXPECT_EQ(m_calls[2].call.member(), QStringLiteral("UnInhibit"));
    EXPECT_EQ(m_calls[2].call.arguments().value(0).toUInt(), 1234u);
    EXPECT_EQ(assertion.release(id), PowerAssertion::kReturnBadArgument) << "released twice";
}

TEST_F(DBusInhibitor, MissingBusesAreQuietAndReleaseSendsNothing)
{
    m_answer = false;
    DBusPowerAssertion assertion(m_transport);
    PowerAssertion::AssertionID id = 0;
    EXPECT_EQ(assertion.createWithName(QStringLiteral("PreventUserIdleDisplaySleep"), 255,
                                       QStringLiteral("x"), &id),
              PowerAssertion::kReturnError);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(assertion.release(id), PowerAssertion::kReturnSuccess);
    EXPECT_EQ(members(), (QStringList{QStringLiteral("session:Inhibit"), QStringLiteral("system:Inhibit")}));
}

TEST_F(DBusInhibitor, RejectsWhatItCannotHoldAndReportsActivity)
{
    DBusPowerAssertion assertion(m_transport);
    PowerAssertion::AssertionID id = 0;
    EXPECT_EQ(assertion.createWithName(QStringLiteral("NoIdleSleepAssertion"), 255, QStringLiteral("x"), &id),
              PowerAssertion::kReturnBadArgument);
    EXPECT_EQ(
        assertion.createWithName(QStringLiteral("PreventUserIdleDisplaySleep"), 0, QStringLiteral("x"), &id),
        PowerAssertion::kReturnBadArgument);
    EXPECT_TRUE(m_calls.empty());

    assertion.updateSystemActivity(PowerAssertion::kOverallAct);
    EXPECT_EQ(members(), QStringList{QStringLiteral("session:SimulateUserActivity")});
    EXPECT_EQ(m_calls[0].call.interface(), QStringLiteral("org.freedesktop.ScreenSaver"));
}

// Root acting for someone: logind's inhibitor as before, but nothing of its own on the person's
// session bus; activity reports go out from a helper running as the person.
TEST_F(DBusInhibitor, ThePersonsSessionBusIsOnlyReachedAsThePerson)
{
    DBusPowerAssertion assertion(m_transport, DBusPowerAssertion::SessionOwner::InvokingUser);
    PowerAssertion::AssertionID id = 0;
    EXPECT_EQ(assertion.createWithName(QStringLiteral("PreventUserIdleDisplaySleep"), 255,
                                       QStringLiteral("x"), &id),
              PowerAssertion::kReturnSuccess);
    EXPECT_EQ(assertion.release(id), PowerAssertion::kReturnSuccess);
    EXPECT_EQ(members(), QStringList{QStringLiteral("system:Inhibit")});

    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QString out = dir.filePath(QStringLiteral("sent"));
    const QString fake = dir.filePath(QStringLiteral("dbus-send"));
    QFile script(fake);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$(id -u) $*\" > \"" + QFile::encodeName(out) + ".tmp\" && mv \"" +
                 QFile::encodeName(out) + ".tmp\" \"" + QFile::encodeName(out) + "\"\n");
    script.close();
    ::chmod(QFile::encodeName(fake).constData(), 0755);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path);
    const bool root = ::geteuid() == 0;
    if (root)
        qputenv("PKEXEC_UID", "65534");
    // Without an address from the person's session there is no bus of theirs to tell.
    InvokingUser::clearSessionValues();
    assertion.updateSystemActivity(PowerAssertion::kOverallAct);
    if (root) {
        QThread::msleep(200);
        EXPECT_FALSE(QFile::exists(out));
    }
    InvokingUser::setSessionValue("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/65534/bus");
    assertion.updateSystemActivity(PowerAssertion::kOverallAct);
    InvokingUser::clearSessionValues();
    qunsetenv("PKEXEC_UID");
    qputenv("PATH", path);
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFile::exists(out); }, 10000)) << "no helper ran";
    QFile sent(out);
    ASSERT_TRUE(sent.open(QIODevice::ReadOnly));
    const QString line = QString::fromUtf8(sent.readAll()).trimmed();
    EXPECT_TRUE(
        line.startsWith(root ? QStringLiteral("65534 ") : QString::number(::getuid()) + QLatin1Char(' ')))
        << line.toStdString();
    EXPECT_TRUE(line.endsWith(QStringLiteral("org.freedesktop.ScreenSaver.SimulateUserActivity")));
    EXPECT_EQ(m_calls.size(), 1u) << "nothing sent on a bus of our own";
}
