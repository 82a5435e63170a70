// Taking over the user's display and session bus after pkexec scrubbed our environment.
#include "CallerSession.h"

#include "common/TestSupport.h"
#include "platform/InvokingUser.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Sets the variables for the test and puts the previous values back afterwards.
class SavedEnvironment
{
public:
    explicit SavedEnvironment(const QStringList &names)
    {
        for (const QString &name : names) {
            const QByteArray key = name.toLatin1();
            m_saved.append({key, qgetenv(key.constData()), qEnvironmentVariableIsSet(key.constData())});
            qunsetenv(key.constData());
        }
    }
    ~SavedEnvironment()
    {
        for (const Saved &s : std::as_const(m_saved)) {
            if (s.set)
                qputenv(s.name.constData(), s.value);
            else
                qunsetenv(s.name.constData());
        }
    }

private:
    struct Saved
    {
        QByteArray name;
        QByteArray value;
        bool set;
    };
    QList<Saved> m_saved;
};

// A throw-away session of our own user: an authority file, a runtime folder and a bus socket.
class FakeSession
{
public:
    FakeSession()
    {
        QFile file(path("xauth"));
        file.open(QIODevice::WriteOnly);
        file.close();
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path("bus"));
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address);
        QFile::link(path("bus"), path("bus-link"));
        QFile::link(path("xauth"), path("xauth-link"));
        ::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600);
    }
    ~FakeSession() { ::close(m_socket); }
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QByteArray bytes(const char *name) const { return QFile::encodeName(path(name)); }
    QByteArray folder() const { return QFile::encodeName(m_dir.path()); }

    // /proc/<pid>/environ of the parent: entries separated by NUL bytes.
    QByteArray parentEnvironment() const
    {
        const QList<QByteArray> entries = {"HOME=/home/ada",
                                           "DISPLAY=:1",
                                           "XAUTHORITY=" + bytes("xauth"),
                                           "XDG_RUNTIME_DIR=" + folder(),
                                           "DBUS_SESSION_BUS_ADDRESS=unix:path=" + bytes("bus"),
                                           "WAYLAND_DISPLAY=",
                                           "LD_PRELOAD=/home/ada/evil.so",
                                           "QT_PLUGIN_PATH=/home/ada/plugins",
                                           "broken"};
        return entries.join('\0') + '\0';
    }

private:
    QTemporaryDir m_dir;
    int m_socket = -1;
};

const uint kOurs = ::getuid();
const uint kSomeoneElse = ::getuid() + 1;

} // namespace

TEST(CallerSession, TakesCheckedDisplayValuesAndKeepsTheBusForThePersonsHelpers)
{
    SavedEnvironment saved(CallerSession::variables() +
                           QStringList{QStringLiteral("LD_PRELOAD"), QStringLiteral("QT_PLUGIN_PATH")});
    InvokingUser::clearSessionValues();
    FakeSession session;
    qputenv("WAYLAND_DISPLAY", "wayland-1");

    const QStringList adopted = CallerSession::adopt(kOurs, kOurs, session.parentEnvironment());
    EXPECT_EQ(adopted,
              (QStringList{QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"),
                           QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS")}));
    EXPECT_EQ(qgetenv("DISPLAY"), QByteArray(":1"));
    EXPECT_EQ(qgetenv("XAUTHORITY"), session.bytes("xauth"));
    EXPECT_EQ(qgetenv("WAYLAND_DISPLAY"), QByteArray("wayland-1")) << "what we have and passes is kept";
    EXPECT_FALSE(qEnvironmentVariableIsSet("LD_PRELOAD"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_PLUGIN_PATH"));
    // Root never connects to the person's bus; the person's helpers do.
    EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray(CallerSession::kClosedBusAddress));
    const auto values = InvokingUser::sessionValues();
    EXPECT_TRUE(values.contains({"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + session.bytes("bus")}));
    EXPECT_TRUE(values.contains({"DISPLAY", ":1"}));
    EXPECT_TRUE(values.contains({"WAYLAND_DISPLAY", "wayland-1"}));
    InvokingUser::clearSessionValues();
}

TEST(CallerSession, BusAddressOnlyAsAPlainPathToThePersonsOwnSocket)
{
    FakeSession session;
    const QString bus = QStringLiteral("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray socket = "unix:path=" + session.bytes("bus");
    EXPECT_TRUE(CallerSession::isAcceptable(bus, socket, kOurs));
    EXPECT_TRUE(CallerSession::isAcceptable(bus, socket + ",guid=0123456789abcdef0123456789abcdef", kOurs));
    EXPECT_FALSE(CallerSession::isAcceptable(bus, socket, kSomeoneElse));
    const QList<QByteArray> refused = {
        "unixexec:path=" + session.bytes("xauth"),
        "unix:path=" + session.bytes("xauth"),
        "unix:path=" + session.bytes("bus-link"),
        "unix:path=" + session.bytes("missing"),
        "unix:abstract=/tmp/dbus-abc,guid=0123456789abcdef0123456789abcdef",
        "tcp:host=127.0.0.1,port=4000",
        socket + ";unixexec:path=/bin/sh",
        socket + ",noncefile=/tmp/x",
        "autolaunch:",
        "unix:runtime=yes",
        "unix:path=" + session.folder() + "/%62us",
        "unix:path=relative/bus",
    };
    for (const QByteArray &address : refused)
        EXPECT_FALSE(CallerSession::isAcceptable(bus, address, kOurs)) << address.constData();
}

TEST(CallerSession, DisplayValuesMustBePlainAndTheirFilesThePersons)
{
    FakeSession session;
    const QString display = QStringLiteral("DISPLAY");
    for (const char *value : {":0", "host:0.0"})
        EXPECT_TRUE(CallerSession::isAcceptable(display, value, kOurs)) << value;
    for (const char *value : {"", ":0\n", ":0 -ac", "$(id):0", "\x1b[2J:0"})
        EXPECT_FALSE(CallerSession::isAcceptable(display, value, kOurs)) << value;

    const QString wayland = QStringLiteral("WAYLAND_DISPLAY");
    EXPECT_TRUE(CallerSession::isAcceptable(wayland, "wayland-0", kOurs));
    for (const char *value : {"/run/user/1000/wayland-0", "../wayland-0", "wayland 0", "wayland-0\t"})
        EXPECT_FALSE(CallerSession::isAcceptable(wayland, value, kOurs)) << value;

    const QString authority = QStringLiteral("XAUTHORITY");
    EXPECT_TRUE(CallerSession::isAcceptable(authority, session.bytes("xauth"), kOurs));
    EXPECT_FALSE(CallerSession::isAcceptable(authority, session.bytes("xauth"), kSomeoneElse));
    EXPECT_FALSE(CallerSession::isAcceptable(authority, session.bytes("xauth-link"), kOurs));
    EXPECT_FALSE(CallerSession::isAcceptable(authority, session.bytes("fifo"), kOurs))
        << "would hold up the start";
    EXPECT_FALSE(CallerSession::isAcceptable(authority, session.folder(), kOurs));

    const QString runtime = QStringLiteral("XDG_RUNTIME_DIR");
    EXPECT_TRUE(CallerSession::isAcceptable(runtime, session.folder(), kOurs));
    EXPECT_FALSE(CallerSession::isAcceptable(runtime, session.folder(), kSomeoneElse));
    EXPECT_FALSE(CallerSession::isAcceptable(runtime, session.bytes("xauth"), kOurs));
}

TEST(CallerSession, ValuesWeWereGivenAreCheckedToo)
{
    SavedEnvironment saved(CallerSession::variables());
    FakeSession session;
    qputenv("XAUTHORITY", session.bytes("xauth"));
    qputenv("DISPLAY", ":0\x1b");
    testsupport::LogCapture log;
    CallerSession::adopt(kSomeoneElse, kOurs, session.parentEnvironment());
    EXPECT_FALSE(qEnvironmentVariableIsSet("XAUTHORITY")) << "not the person's file";
    EXPECT_FALSE(qEnvironmentVariableIsSet("DISPLAY"));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Not using XAUTHORITY of the caller's session: it belongs to someone else")));
    InvokingUser::clearSessionValues();
}

TEST(CallerSession, IgnoresAParentOfAnotherUser)
{
    SavedEnvironment saved(CallerSession::variables());
    FakeSession session;
    EXPECT_TRUE(CallerSession::adopt(1000, 1001, session.parentEnvironment()).isEmpty());
    EXPECT_TRUE(CallerSession::adopt(1000, 0, session.parentEnvironment()).isEmpty());
    EXPECT_FALSE(qEnvironmentVariableIsSet("DISPLAY"));
    InvokingUser::clearSessionValues();
}
