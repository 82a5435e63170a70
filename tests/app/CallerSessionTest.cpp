// Taking over the user's display and session bus after pkexec scrubbed our environment.
#include "CallerSession.h"

#include "common/TestSupport.h"
#include "platform/InvokingUser.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QProcess>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <atomic>
#include <thread>
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

// The program as pkexec starts it: run through the probe, its report's lines.
QStringList runProbe(const QString &runtimeBase, const QStringList &environment, const QString &mode = {})
{
    QTemporaryDir dir;
    const QString reportPath = dir.filePath(QStringLiteral("report"));
    QProcess probe;
    QProcessEnvironment env;
    for (const QString &entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(NULLWELL_SESSION_PROBE), {runtimeBase, reportPath, mode});
    probe.waitForFinished(20000);
    QFile report(reportPath);
    return report.open(QIODevice::ReadOnly) ? QString::fromUtf8(report.readAll()).split(QLatin1Char('\n'))
                                            : QStringList();
}

// An X server on the loopback port of display 53 that keeps everything it is sent.
class FakeXServer
{
public:
    FakeXServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(6000 + 53);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_listening = ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                      ::listen(m_socket, 4) == 0;
        if (m_listening)
            m_thread = std::thread([this] { serve(); });
    }
    ~FakeXServer()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
    }
    bool listening() const { return m_listening; }
    // What every connection sent, once the server has stopped.
    QByteArray received()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_received;
    }

private:
    void serve()
    {
        while (!m_stop) {
            pollfd listener{m_socket, POLLIN, 0};
            if (::poll(&listener, 1, 50) <= 0)
                continue;
            const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
            // The set-up request (with any cookie) comes at once; no answer is given.
            for (pollfd peer{client, POLLIN, 0}; ::poll(&peer, 1, 500) > 0;) {
                char buffer[4096];
                const ssize_t got = ::read(client, buffer, sizeof buffer);
                if (got <= 0)
                    break;
                m_received.append(buffer, got);
            }
            ::close(client);
        }
    }

    int m_socket = -1;
    bool m_listening = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    QByteArray m_received;
};

// An authority file as the X library keeps it, with one cookie for display 53 on any address.
QByteArray authorityEntry(const QByteArray &cookie)
{
    QByteArray entry;
    auto field = [&entry](const QByteArray &bytes) {
        entry += char(bytes.size() >> 8);
        entry += char(bytes.size() & 0xff);
        entry += bytes;
    };
    entry += "\xff\xff"; // any address
    field(QByteArray());
    field("53");
    field("MIT-MAGIC-COOKIE-1");
    field(cookie);
    return entry;
}

} // namespace

TEST(CallerSession, TakesCheckedDisplayValuesAndKeepsTheBusForThePersonsHelpers)
{
    SavedEnvironment saved(CallerSession::variables() +
                           QStringList{QStringLiteral("LD_PRELOAD"), QStringLiteral("QT_PLUGIN_PATH")});
    InvokingUser::clearSessionValues();
    FakeSession session;
    qputenv("WAYLAND_DISPLAY", "wayland-1");

    CallerSession::setRuntimeFolderBase(session.path("no-runtime-folders"));
    const QStringList adopted = CallerSession::adopt(kOurs, kOurs, session.parentEnvironment());
    CallerSession::setRuntimeFolderBase(QStringLiteral("/run/user"));
    EXPECT_EQ(adopted,
              (QStringList{QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"),
                           QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS")}));
    EXPECT_EQ(qgetenv("DISPLAY"), QByteArray(":1"));
    EXPECT_EQ(qgetenv("XAUTHORITY"), session.bytes("xauth"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) << "no such socket in the person's folder";
    // Qt's runtime folder is root's own, private one; the person's is kept for their helpers.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    EXPECT_NE(runtime, session.folder());
    struct stat info;
    ASSERT_EQ(::lstat(runtime.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(InvokingUser::sessionValues().contains({"XDG_RUNTIME_DIR", session.folder()}));
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
    for (const char *value : {":0", ":0.1", "unix:0", "unix:12.0"})
        EXPECT_TRUE(CallerSession::isAcceptable(display, value, kOurs)) << value;
    for (const char *value : {"", ":0\n", ":0 -ac", "$(id):0", "\x1b[2J:0", "unix:", ":x"})
        EXPECT_FALSE(CallerSession::isAcceptable(display, value, kOurs)) << value;
    for (const char *value : {"host:0.0", "localhost:10", "127.0.0.1:0", "tcp/localhost:0", "node::0"}) {
        QString why;
        EXPECT_FALSE(CallerSession::isAcceptable(display, value, kOurs, &why)) << value;
        EXPECT_EQ(why, QStringLiteral("%1 is a display on another machine; Ostrivan Nullwell opens its window "
                                      "only on a display of this machine")
                           .arg(QLatin1String(value)));
    }

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
    // Not the person's file: an empty one of ours stands in, so the X library reads no other.
    const QString authority = qEnvironmentVariable("XAUTHORITY");
    EXPECT_NE(authority, session.path("xauth"));
    EXPECT_EQ(QFileInfo(authority).size(), 0);
    EXPECT_TRUE(QFileInfo(authority).isFile());
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

TEST(CallerSession, FindsThePersonsSessionAfterThePkexecParentHasGone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root hands a session over to another user";
    // The person's runtime folder with their session bus in it, where the system keeps them.
    QTemporaryDir base;
    const QByteArray folder = QFile::encodeName(base.filePath(QStringLiteral("54321")));
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    ASSERT_EQ(::chown(folder.constData(), 54321, 54321), 0);
    const int bus = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (folder + "/bus").constData());
    ASSERT_EQ(::bind(bus, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::chown((folder + "/bus").constData(), 54321, 54321), 0);

    // pkexec's way: the person's program that asked is gone when the program starts, a moment later,
    // as root with the caller's display and little else.
    QTemporaryDir scratch;
    const QString report = scratch.filePath(QStringLiteral("report"));
    const QString pkexec = QStringLiteral("(sleep 0.3; exec env -i PKEXEC_UID=54321 DISPLAY=:53 HOME=/root "
                                          "PATH=/usr/bin:/bin \"$0\" \"$1\" \"$2\") & exit 0");
    ASSERT_EQ(QProcess::execute(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), pkexec, QStringLiteral(NULLWELL_SESSION_PROBE),
                                 base.path(), report}),
              0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFile::exists(report); }));
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    ::close(bus);

    const QString runtime = QFile::decodeName(folder);
    EXPECT_TRUE(lines.contains(QStringLiteral("person XDG_RUNTIME_DIR=") + runtime)) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("person DBUS_SESSION_BUS_ADDRESS=unix:path=") + runtime + "/bus"));
    EXPECT_TRUE(lines.contains(QStringLiteral("own DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null")));
    EXPECT_TRUE(lines.contains(QStringLiteral("own runtime folder mode=700 uid=0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("own authority size=0")));
    const QString own = lines.filter(QStringLiteral("own XDG_RUNTIME_DIR=")).value(0).section(u'=', 1);
    EXPECT_FALSE(own.isEmpty());
    EXPECT_NE(own, runtime);
    EXPECT_TRUE(lines.contains(QStringLiteral("qt runtime=") + own));
    EXPECT_TRUE(lines.filter(QStringLiteral("XDG_RUNTIME_DIR not set")).isEmpty());
}

TEST(CallerSession, RootsXCookiesNeverLeaveAndRemoteDisplaysAreRefused)
{
    // Root's own authority file holds a cookie for display 53; a program of the person's listens
    // on that display's loopback port.
    QTemporaryDir home;
    const QByteArray cookie = "ROOT-COOKIE-0123";
    QFile authority(home.filePath(QStringLiteral(".Xauthority")));
    ASSERT_TRUE(authority.open(QIODevice::WriteOnly));
    authority.write(authorityEntry(cookie));
    authority.close();
    const QStringList pkexecEnvironment{QStringLiteral("PKEXEC_UID=54321"), QStringLiteral("HOME=") + home.path(),
                                        QStringLiteral("PATH=/usr/bin:/bin")};
    QTemporaryDir noRuntime;

    for (const QString &display : {QStringLiteral(":53"), QStringLiteral("localhost:53")}) {
        FakeXServer server;
        if (!server.listening())
            GTEST_SKIP() << "port 6053 is taken";
        const QStringList lines = runProbe(noRuntime.path(),
                                           pkexecEnvironment + QStringList{QStringLiteral("DISPLAY=") + display},
                                           QStringLiteral("connect-x"));
        ASSERT_FALSE(lines.filter(QStringLiteral("x error=")).isEmpty()) << lines.join(u'\n').toStdString();
        const QByteArray sent = server.received();
        EXPECT_FALSE(sent.contains(cookie)) << display.toStdString();
        if (display.startsWith(u':')) {
            EXPECT_TRUE(lines.contains(QStringLiteral("own authority size=0")));
        } else {
            EXPECT_TRUE(sent.isEmpty()) << "a display elsewhere is not even reached";
            EXPECT_TRUE(lines.contains(QStringLiteral("log Not using DISPLAY of the caller's session: localhost:53 is "
                                                      "a display on another machine; Ostrivan Nullwell opens its "
                                                      "window only on a display of this machine")));
        }
    }
}
