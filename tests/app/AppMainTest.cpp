// The main program's start-up decision, hand-over and sleep prevention, with the workspace, the
// inhibitor and the application loop replaced.
#include "AppMain.h"

#include "FontWarmUp.h"
#include "VQPublicUtilities.h"
#include "common/TestSupport.h"
#include "common/ScopedOverride.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

namespace {

class FakeWorkspace : public Workspace
{
public:
    bool answer = true;
    QStringList launched;
    bool launchApplication(const QString &appPath) override
    {
        launched.append(appPath);
        return answer;
    }
};

class FakePowerAssertion : public PowerAssertion
{
public:
    struct Created
    {
        QString type;
        int level;
        QString name;
    };
    std::vector<Created> created;
    std::vector<AssertionID> released;
    int activity = 0;
    int held = 0;
    bool grant = true;

    int createWithName(const QString &type, int level, const QString &name, AssertionID *id) override
    {
        created.push_back({type, level, name});
        *id = 40 + AssertionID(created.size());
        if (!grant)
            return kReturnError;
        granted.insert(*id);
        ++held;
        return kReturnSuccess;
    }
    int release(AssertionID id) override
    {
        released.push_back(id);
        if (granted.erase(id))
            --held;
        return kReturnSuccess;
    }
    std::set<AssertionID> granted;
    void updateSystemActivity(int kind) override
    {
        EXPECT_EQ(kind, kOverallAct);
        ++activity;
    }
};

class StartUp : public ::testing::Test
{
protected:
    int start(std::vector<const char *> arguments)
    {
        const int argc = int(arguments.size());
        arguments.push_back(nullptr);
        return NullwellMain(argc, const_cast<char **>(arguments.data()));
    }

    // The main program's own bundle, nested in an outer one as the packaging lays it out.
    testsupport::TempBundle m_bundle{QStringLiteral("Outer.app/Contents/MacOS/" NULLWELL_PRODUCT ".app")};
    testsupport::LogCapture m_log;
    FakeWorkspace m_workspace;
    FakePowerAssertion m_power;
    int m_loopRuns = 0;
    int m_loopArgc = -1;
    int m_heldDuringLoop = 0;
    bool m_timerDuringLoop = false;
    std::function<void()> m_insideLoop;
    testsupport::ScopedOverride<Workspace *> m_workspaceOverride{&Workspace::setSharedWorkspaceOverride,
                                                                 &m_workspace};
    testsupport::ScopedOverride<PowerAssertion *> m_powerOverride{&PowerAssertion::setSharedOverride, &m_power};
    testsupport::ScopedOverride<std::function<int(int, char **)>> m_loop{
        &appmain::setApplicationLoopOverride, [this](int argc, char **argv) {
            ++m_loopRuns;
            m_loopArgc = argc;
            m_heldDuringLoop = m_power.held;
            m_timerDuringLoop = appmain::activityTimer() != nullptr;
            if (m_insideLoop)
                m_insideLoop();
            return 7;
        }};
};

} // namespace

TEST_F(StartUp, LanguageArgumentRunsWithTheInhibitorHeldForTheLoop)
{
    EXPECT_EQ(start({"/opt/x/Ostrivan Nullwell", "en"}), 7);

    EXPECT_TRUE(m_log.contains(QStringLiteral("vkl path para[0] = /opt/x/Ostrivan Nullwell, para[1] = en")));
    EXPECT_TRUE(m_workspace.launched.isEmpty());
    EXPECT_EQ(m_loopRuns, 1);
    EXPECT_EQ(m_loopArgc, 2);
    EXPECT_EQ(m_heldDuringLoop, 1);
    ASSERT_EQ(m_power.created.size(), 1u);
    EXPECT_EQ(m_power.created[0].type, QStringLiteral("PreventUserIdleDisplaySleep"));
    EXPECT_EQ(m_power.created[0].level, 255);
    EXPECT_EQ(m_power.created[0].name, QStringLiteral("Ostrivan Nullwell is running"));
    ASSERT_EQ(m_power.released.size(), 1u);
    EXPECT_EQ(m_power.released[0], appmain::currentAssertionID());
    EXPECT_EQ(m_power.held, 0);
}

TEST_F(StartUp, FontsStillLoadingWhenTheLoopEndsAreInBeforeTheStartEnds)
{
    // The application object, whose font database destroys the configuration, must not go while
    // the load still runs.
    std::atomic<bool> loaded = false;
    testsupport::ScopedOverride fonts(&FontWarmUp::setWorkOverride, std::function<void()>([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        loaded = true;
    }));
    EXPECT_EQ(start({"main", "en"}), 7);
    EXPECT_TRUE(loaded) << "the start ended with the fonts still loading";
}

TEST_F(StartUp, AnyNonEmptyArgumentRuns)
{
    for (const char *argument : {"x*loaderflag*", "*loaderflag*", "zh-Hant-TW", " "}) {
        m_loopRuns = 0;
        EXPECT_EQ(start({"main", argument}), 7) << argument;
        EXPECT_EQ(m_loopRuns, 1) << argument;
    }
    EXPECT_TRUE(m_workspace.launched.isEmpty());
}

TEST_F(StartUp, NoArgumentHandsOverToTheOuterBundleAndEnds)
{
    EXPECT_EQ(start({"main"}), 0);

    ASSERT_EQ(m_workspace.launched.size(), 1);
    EXPECT_EQ(m_workspace.launched[0], m_bundle.root() + QStringLiteral("/Outer.app"));
    EXPECT_TRUE(m_log.contains(QStringLiteral("vkl path para[0] = main, para[1] = (null)")));
    EXPECT_EQ(m_loopRuns, 0);
    EXPECT_TRUE(m_power.created.empty());
    EXPECT_EQ(appmain::activityTimer(), nullptr);
}

TEST_F(StartUp, ArgumentsThatCountAsMissingHandOver)
{
    // Empty, not ASCII (as the launcher never sends), and an empty vector that holds only its end.
    const std::vector<std::vector<const char *>> cases = {{"main", ""}, {"main", "fr\xc3\xa9"}, {}};
    for (const auto &arguments : cases) {
        m_workspace.launched.clear();
        EXPECT_EQ(start(arguments), 0);
        EXPECT_EQ(m_workspace.launched.size(), 1);
    }
    EXPECT_TRUE(m_log.contains(QStringLiteral("vkl path para[0] = (null), para[1] = (null)")));
    EXPECT_EQ(m_loopRuns, 0);
}

TEST_F(StartUp, RefusedHandOverRunsAnywayWithSleepPrevention)
{
    m_workspace.answer = false;
    EXPECT_EQ(start({"main"}), 7);
    EXPECT_EQ(m_workspace.launched.size(), 1);
    EXPECT_EQ(m_loopRuns, 1);
    EXPECT_EQ(m_loopArgc, 1);
    EXPECT_EQ(m_heldDuringLoop, 1);
    EXPECT_EQ(m_power.held, 0);
}

TEST_F(StartUp, ActivityTimerOnlyWhereNoInhibitorCanBeHad)
{
    m_power.grant = false;
    int firstReports = -1;
    int interval = -1;
    m_insideLoop = [&] {
        // The first report goes out at once, not after 30 seconds.
        testsupport::waitUntil([&] { return m_power.activity > 0; }, 2000);
        firstReports = m_power.activity;
        interval = appmain::activityTimer()->interval();
    };
    start({"main", "en"});
    EXPECT_TRUE(m_timerDuringLoop);
    EXPECT_EQ(firstReports, 1);
    EXPECT_EQ(interval, 30000);
    EXPECT_EQ(m_power.created.size(), 1u) << "the inhibitor was asked for first";
    ASSERT_EQ(m_power.released.size(), 1u) << "the refused identifier is given back at once";
    // Released after the loop: no timer left behind and no more reports.
    EXPECT_EQ(appmain::activityTimer(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_power.activity, 1);
    EXPECT_EQ(m_power.released.size(), 1u);
}

TEST(StartUpLanguage, SetCurLanguageStoresThePreferredLanguage)
{
    QTemporaryDir home;
    UserDefaults defaults(home.filePath(QStringLiteral("defaults.conf")));
    testsupport::ScopedOverride standard(&UserDefaults::setStandardOverride, &defaults, &UserDefaults::standard());
    testsupport::LogCapture log;
    setCurLanguage("de");
    EXPECT_EQ(defaults.stringArrayForKey(QStringLiteral("AppleLanguages")),
              QStringList{QStringLiteral("de")});
    EXPECT_TRUE(log.contains(QStringLiteral("set lanague to = de")));
}

// The distribution's version has nothing to say: "9.3" or "3.19.1" once read as too old for an
// inhibitor, and a missing VERSION_ID as the oldest of all.
TEST(StartUpVersion, AnySystemTakesTheInhibitor)
{
    FakePowerAssertion power;
    testsupport::ScopedOverride shared(&PowerAssertion::setSharedOverride, &power);
    QTemporaryDir dir;
    testsupport::ScopedOverride osRelease(&VQPublicUtilities::setOsReleasePathOverride, QString());
    const QString release = dir.filePath(QStringLiteral("os-release"));
    for (const QByteArray &line : {QByteArray("VERSION_ID=\"9.3\"\n"), QByteArray("VERSION_ID=3.19.1\n"),
                                   QByteArray("PRETTY_NAME=\"Rolling\"\n")}) {
        QFile file(release);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("NAME=Test\n" + line);
        file.close();
        osRelease.set(release);

        PreventSleep();
        EXPECT_EQ(power.held, 1) << line.constData();
        EXPECT_EQ(appmain::activityTimer(), nullptr) << line.constData();
        ReleasePreventObj();
        EXPECT_EQ(power.held, 0);
    }
}
