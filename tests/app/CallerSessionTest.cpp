// Taking over the user's display and session bus after pkexec scrubbed our environment.
#include "CallerSession.h"

#include <gtest/gtest.h>

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

// /proc/<pid>/environ of the parent: entries separated by NUL bytes.
QByteArray parentEnvironment()
{
    static const char entries[] = "HOME=/home/ada\0DISPLAY=:1\0XAUTHORITY=/run/user/1000/xauth\0"
                                  "DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus\0WAYLAND_DISPLAY=\0"
                                  "LD_PRELOAD=/home/ada/evil.so\0QT_PLUGIN_PATH=/home/ada/plugins\0broken\0";
    return QByteArray(entries, sizeof entries - 1);
}

} // namespace

TEST(CallerSession, TakesOnlyTheMissingDisplayAndBusVariablesOfTheSameUser)
{
    SavedEnvironment saved(CallerSession::variables() + QStringList{QStringLiteral("LD_PRELOAD"),
                                                                    QStringLiteral("QT_PLUGIN_PATH")});
    qputenv("XAUTHORITY", "/root/.Xauthority");

    const QStringList adopted = CallerSession::adopt(1000, 1000, parentEnvironment());
    EXPECT_EQ(adopted, (QStringList{QStringLiteral("DISPLAY"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS")}));
    EXPECT_EQ(qgetenv("DISPLAY"), QByteArray(":1"));
    EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray("unix:path=/run/user/1000/bus"));
    EXPECT_EQ(qgetenv("XAUTHORITY"), QByteArray("/root/.Xauthority")) << "what we have is kept";
    EXPECT_FALSE(qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) << "empty values mean nothing";
    EXPECT_FALSE(qEnvironmentVariableIsSet("LD_PRELOAD"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_PLUGIN_PATH"));
}

TEST(CallerSession, IgnoresAParentOfAnotherUser)
{
    SavedEnvironment saved(CallerSession::variables());
    EXPECT_TRUE(CallerSession::adopt(1000, 1001, parentEnvironment()).isEmpty());
    EXPECT_TRUE(CallerSession::adopt(1000, 0, parentEnvironment()).isEmpty());
    EXPECT_FALSE(qEnvironmentVariableIsSet("DISPLAY"));
}
