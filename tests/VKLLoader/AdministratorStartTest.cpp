// Starting the main program as the administrator: against a fake pkexec on PATH that records its
// arguments and its parent, and a fake main program that records how it was started.
#include "LaunchNotice.h"
#include "RunScript.h"

#include "common/TestSupport.h"
#include "common/ScopedOverride.h"
#include "platform/Authorization.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Like the real one it refuses a caller whose parent has gone (checked after a while, as the real
// one asks the agent first), and ends a start without the right as the real one does.
const QByteArray kFakePkexec = R"(#!/bin/sh
dir="$NULLWELL_FAKE_DIR"
printf '%s\n' "$@" > "$dir/pkexec.args.tmp" && mv "$dir/pkexec.args.tmp" "$dir/pkexec.args"
sleep "${NULLWELL_FAKE_DELAY:-0.3}"
if [ "$PPID" = 1 ] || ! kill -0 "$PPID" 2>/dev/null; then
    echo orphan > "$dir/pkexec.refused"
    exit 127
fi
session=$(cut -d' ' -f6 /proc/$$/stat)
echo "$PPID $session" > "$dir/pkexec.parent"
# What pkexec 122 writes and answers for each way a start ends without the right.
case "$NULLWELL_FAKE_ANSWER" in
cancel)
    # Its own text agent's prompt dismissed.
    echo "Error executing command as another user: Request dismissed" >&2
    : > "$dir/pkexec.done"
    exit 126 ;;
dismissed)
    # A desktop agent's dialog closed, also after wrong passwords.
    echo "Error executing command as another user: Request dismissed" >&2
    exit 127 ;;
refused)
    printf 'Error executing command as another user: Not authorized\n\nThis incident has been reported.\n' >&2
    exit 127 ;;
noagent)
    echo "Error executing command as another user: No authentication agent found." >&2
    exit 127 ;;
notty)
    echo "Error creating textual authentication agent: Error opening current controlling terminal for the process (\`/dev/tty'): No such device or address" >&2
    exit 127 ;;
esac
exec "$@"
)";

// Stays a while after it started, as the real program does.
const QByteArray kFakeMain = R"(#!/bin/sh
{ echo "$#"; printf '%s\n' "$@"; } > "$NULLWELL_FAKE_DIR/main.args.tmp"
mv "$NULLWELL_FAKE_DIR/main.args.tmp" "$NULLWELL_FAKE_DIR/main.args"
sleep "${NULLWELL_FAKE_RUN:-0}"
: > "$NULLWELL_FAKE_DIR/main.done"
)";

void writeExecutable(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

class AdministratorStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedPath = qgetenv("PATH");
        writeExecutable(m_dir.filePath(QStringLiteral("bin/pkexec")), kFakePkexec);
        qputenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("bin"))) + ':' + m_savedPath);
        qputenv("NULLWELL_FAKE_DIR", QFile::encodeName(m_dir.path()));
        qunsetenv("NULLWELL_FAKE_ANSWER");
        m_main = m_dir.filePath(QStringLiteral("Outer.app/Contents/MacOS/" NULLWELL_PRODUCT
                                               ".app/Contents/MacOS/" NULLWELL_PRODUCT));
        writeExecutable(m_main, kFakeMain);
    }
    void TearDown() override
    {
        qputenv("PATH", m_savedPath);
        qunsetenv("NULLWELL_FAKE_DIR");
        qunsetenv("NULLWELL_FAKE_ANSWER");
        qunsetenv("NULLWELL_FAKE_DELAY");
        qunsetenv("NULLWELL_FAKE_RUN");
    }

    QString file(const QString &name) const { return m_dir.filePath(name); }
    bool waitFor(const QString &name) const
    {
        return testsupport::waitUntil([&] { return QFileInfo::exists(file(name)); }, 10000);
    }

    QTemporaryDir m_dir;
    QByteArray m_savedPath;
    QString m_main;
    // The tests act as a person who is not root, whoever runs them.
    testsupport::ScopedOverride<std::optional<bool>> m_administrator{&Authorization::setAdministratorOverride, false};
};

} // namespace

TEST_F(AdministratorStart, PkexecStartsTheProgramAndTheCallerReturnsOnceItRuns)
{
    // A slow prompt and a program that runs on: the answer comes between the two.
    qputenv("NULLWELL_FAKE_DELAY", "1");
    qputenv("NULLWELL_FAKE_RUN", "3");
    EXPECT_EQ(Authorization::executeWithPrivileges(m_main, {QStringLiteral("en")}), Authorization::kSuccess);
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("pkexec.parent")))) << "the prompt was waited for";
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("main.done"))))
        << "the program itself is not waited for";

    ASSERT_TRUE(waitFor(QStringLiteral("main.args")));
    EXPECT_EQ(readLines(file(QStringLiteral("pkexec.args"))), (QStringList{m_main, QStringLiteral("en")}));
    EXPECT_EQ(readLines(file(QStringLiteral("main.args"))),
              (QStringList{QStringLiteral("1"), QStringLiteral("en")}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("pkexec.refused"))));

    // pkexec's parent is a process of its own session, not us.
    const QStringList parent =
        readLines(file(QStringLiteral("pkexec.parent"))).value(0).split(QLatin1Char(' '));
    ASSERT_EQ(parent.size(), 2);
    EXPECT_NE(parent[0].toLongLong(), QCoreApplication::applicationPid());
    EXPECT_NE(parent[1].toLongLong(), qint64(::getsid(0)));
    EXPECT_TRUE(waitFor(QStringLiteral("main.done")));
}

TEST_F(AdministratorStart, DismissedOrRefusedPromptStartsNothingAndSaysWhich)
{
    const std::pair<const char *, qint32> answers[] = {
        {"cancel", Authorization::kCanceled},
        {"dismissed", Authorization::kCanceled},
        {"refused", Authorization::kDenied},
        {"noagent", Authorization::kNoAuthenticationAgent},
        {"notty", Authorization::kNoAuthenticationAgent},
    };
    for (const auto &[answer, expected] : answers) {
        qputenv("NULLWELL_FAKE_ANSWER", answer);
        EXPECT_EQ(Authorization::executeWithPrivileges(m_main, {QStringLiteral("en")}), expected) << answer;
    }
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("pkexec.done"))));
    QThread::msleep(100);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("main.args"))));
}

TEST_F(AdministratorStart, RootStartsTheProgramItselfAndFailuresAreReported)
{
    testsupport::ScopedOverride administrator(&Authorization::setAdministratorOverride, true, false);
    EXPECT_EQ(Authorization::executeWithPrivileges(m_main, {QStringLiteral("de")}), Authorization::kSuccess);
    ASSERT_TRUE(waitFor(QStringLiteral("main.args")));
    EXPECT_EQ(readLines(file(QStringLiteral("main.args"))),
              (QStringList{QStringLiteral("1"), QStringLiteral("de")}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("pkexec.args"))));

    EXPECT_EQ(Authorization::executeWithPrivileges(file(QStringLiteral("missing")), {QStringLiteral("en")}),
              Authorization::kToolExecuteFailure);
    // Executable bits but nothing that can be run.
    writeExecutable(file(QStringLiteral("broken")), "#!/nonexistent/interpreter\n");
    EXPECT_EQ(
        Authorization::spawnInOwnSession({file(QStringLiteral("broken"))}, file(QStringLiteral("broken"))),
        Authorization::kToolExecuteFailure);

    administrator.set(false);
    qputenv("PATH", QFile::encodeName(file(QStringLiteral("empty"))));
    EXPECT_EQ(Authorization::executeWithPrivileges(m_main, {QStringLiteral("en")}),
              Authorization::kToolEnvironmentError);
}

TEST_F(AdministratorStart, RunProcessPassesArgumentsUntouched)
{
    QString output = QStringLiteral("stale");
    QString error = QStringLiteral("stale");
    // Blanks, quotes and command substitutions are plain text to the program.
    const QString marker = file(QStringLiteral("injected"));
    const QStringList arguments = {QStringLiteral("%s|"), QStringLiteral("a b"), QStringLiteral("\"q\" 'r'"),
                                   QStringLiteral("$(touch %1)").arg(marker),
                                   QStringLiteral("; touch %1").arg(marker)};
    ASSERT_TRUE(RunScript::runProcess(QStringLiteral("/usr/bin/printf"), arguments, &output, &error, false));
    EXPECT_EQ(output, QStringLiteral("a b|\"q\" 'r'|$(touch %1)|; touch %1|").arg(marker));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(marker));

    ASSERT_TRUE(RunScript::runProcess(QStringLiteral("/usr/bin/id"), {QStringLiteral("-un")}, &output, &error,
                                      false));
    EXPECT_FALSE(output.isEmpty());
    EXPECT_FALSE(output.endsWith(QLatin1Char('\n')));

    EXPECT_FALSE(RunScript::runProcess(QStringLiteral("/bin/sh"),
                                       {QStringLiteral("-c"), QStringLiteral("echo oops >&2; exit 3")},
                                       &output, &error, false));
    EXPECT_EQ(error, QStringLiteral("oops"));
    EXPECT_FALSE(RunScript::runProcess(
        QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")}, &output, &error, false));
    EXPECT_TRUE(error.isEmpty()) << "nothing was said, so nothing is reported";
}

TEST_F(AdministratorStart, RunProcessAsAdministratorGoesThroughPkexec)
{
    QString output;
    QString error;
    ASSERT_TRUE(RunScript::runProcess(QStringLiteral("/usr/bin/printf"),
                                      {QStringLiteral("%s"), QStringLiteral("a b")}, &output, &error, true));
    EXPECT_EQ(output, QStringLiteral("a b"));
    EXPECT_EQ(readLines(file(QStringLiteral("pkexec.args"))),
              (QStringList{QStringLiteral("/usr/bin/printf"), QStringLiteral("%s"), QStringLiteral("a b")}));

    qputenv("NULLWELL_FAKE_ANSWER", "cancel");
    EXPECT_FALSE(
        RunScript::runProcess(QStringLiteral("/usr/bin/id"), {QStringLiteral("-un")}, &output, &error, true));
    EXPECT_EQ(error, QStringLiteral("The administrator password is required to do this."));

    testsupport::LogCapture log;
    RunScript::Test3();
    EXPECT_TRUE(log.contains(QStringLiteral("failure:The administrator password is required to do this.!")));
    RunScript::Test();
    EXPECT_TRUE(log.contains(QStringLiteral("failure!")));
    qunsetenv("NULLWELL_FAKE_ANSWER");
    RunScript::Test2();
    EXPECT_TRUE(log.lines().last().startsWith(QStringLiteral("success:")));
    EXPECT_TRUE(log.lines().last().endsWith(QLatin1Char('!')));

    qputenv("PATH", QFile::encodeName(file(QStringLiteral("empty"))));
    EXPECT_FALSE(RunScript::runProcess(QStringLiteral("/usr/bin/id"), {}, &output, &error, true));
    EXPECT_FALSE(error.isEmpty());
}

// The built launcher, copied into a bundle of our own: it ends at once with status 0 and the main
// program receives the chosen language as its only argument (through pkexec unless we are root).
TEST_F(AdministratorStart, LauncherProgramStartsTheMainProgramWithTheLanguage)
{
    const QString outer = m_dir.filePath(QStringLiteral("Outer.app"));
    const QString launcher = outer + QStringLiteral("/Contents/MacOS/" NULLWELL_LAUNCHER_NAME);
    ASSERT_TRUE(QFile::copy(QStringLiteral(NULLWELL_OUTER_BUNDLE "/Contents/MacOS/" NULLWELL_LAUNCHER_NAME),
                            launcher));
    const QString settings = outer + QStringLiteral("/Contents/MacOS/" NULLWELL_PRODUCT
                                                    ".app/Contents/Resources/StringMessage.plist");
    QDir().mkpath(QFileInfo(settings).absolutePath());
    ASSERT_TRUE(PropertyList::write(
        settings, QVariantMap{{QStringLiteral("SupportLanguage"),
                               QVariantMap{{QStringLiteral("English"), QStringLiteral("en")},
                                           {QStringLiteral("Deutsch"), QStringLiteral("de")}}}}));
    const QString config = m_dir.filePath(QStringLiteral("config"));
    {
        UserDefaults defaults(config + QStringLiteral("/ostrivan-nullwell/defaults.conf"));
        defaults.setObject(QStringList{QStringLiteral("de"), QStringLiteral("en")},
                           QStringLiteral("AppleLanguages"));
    }

    QFile list(settings);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QByteArray listBefore = list.readAll();
    list.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.remove(QStringLiteral("PKEXEC_UID"));
    environment.insert(QStringLiteral("NULLWELL_FAKE_DELAY"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(launcher, {});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);

    ASSERT_TRUE(waitFor(QStringLiteral("main.args")));
    EXPECT_EQ(readLines(file(QStringLiteral("main.args"))),
              (QStringList{QStringLiteral("1"), QStringLiteral("de")}));
    EXPECT_EQ(UserDefaults(config + QStringLiteral("/ostrivan-nullwell/defaults.conf"))
                  .stringForKey(QStringLiteral("CurLanguage")),
              QStringLiteral("Deutsch"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), listBefore) << "the bundle's list is not the launcher's to write";
    if (::geteuid() != 0) {
        EXPECT_EQ(readLines(file(QStringLiteral("pkexec.args"))),
                  (QStringList{m_main, QStringLiteral("de")}));
    }
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("pkexec.refused"))));
}

namespace {

class RecordingNotice : public LaunchNotice
{
public:
    QStringList shown;
    void show(const QString &message) override { shown.append(message); }
};

} // namespace

TEST_F(AdministratorStart, LauncherTellsWhyTheProgramDidNotStart)
{
    RecordingNotice notice;
    testsupport::ScopedOverride shared(&LaunchNotice::setSharedOverride, &notice);
    const QString outer = m_dir.filePath(QStringLiteral("Outer.app"));

    EXPECT_EQ(RunScript::Launch(outer), 0);
    EXPECT_TRUE(notice.shown.isEmpty());

    qputenv("NULLWELL_FAKE_ANSWER", "cancel");
    EXPECT_EQ(RunScript::Launch(outer), 1);
    EXPECT_TRUE(notice.shown.isEmpty()) << "the person's own no needs no message";

    qputenv("NULLWELL_FAKE_ANSWER", "dismissed");
    EXPECT_EQ(RunScript::Launch(outer), 1);
    EXPECT_TRUE(notice.shown.isEmpty()) << "a dismissed desktop prompt is a no too";

    qputenv("NULLWELL_FAKE_ANSWER", "noagent");
    EXPECT_EQ(RunScript::Launch(outer), 1);
    ASSERT_EQ(notice.shown.size(), 1);
    EXPECT_TRUE(notice.shown[0].contains(QStringLiteral("no polkit authentication agent is running")));

    qputenv("NULLWELL_FAKE_ANSWER", "refused");
    EXPECT_EQ(RunScript::Launch(outer), 1);
    ASSERT_EQ(notice.shown.size(), 2);
    EXPECT_TRUE(notice.shown[1].contains(QStringLiteral("administrator rights were refused")));
    EXPECT_FALSE(notice.shown[1].contains(QStringLiteral("agent")));
    qunsetenv("NULLWELL_FAKE_ANSWER");

    const QString savedPath = QString::fromLocal8Bit(qgetenv("PATH"));
    qputenv("PATH", QFile::encodeName(file(QStringLiteral("empty"))));
    EXPECT_EQ(RunScript::Launch(outer), 1);
    EXPECT_TRUE(notice.shown.value(2).contains(QStringLiteral("Install the package pkexec")));
    qputenv("PATH", savedPath.toLocal8Bit());

    ASSERT_TRUE(QFile::remove(m_main));
    EXPECT_EQ(RunScript::Launch(outer), 1);
    EXPECT_TRUE(notice.shown.value(3).contains(QStringLiteral("its program is missing")));
    EXPECT_TRUE(notice.shown.value(3).contains(m_main));
}

// The built launcher against a pkexec that finds no agent: it says so and ends with a failure.
// Run as a normal user (root would start the program itself, without pkexec).
TEST_F(AdministratorStart, LauncherProgramReportsAFailedStart)
{
    const QString outer = m_dir.filePath(QStringLiteral("Outer.app"));
    const QString launcher = outer + QStringLiteral("/Contents/MacOS/" NULLWELL_LAUNCHER_NAME);
    ASSERT_TRUE(QFile::copy(QStringLiteral(NULLWELL_OUTER_BUNDLE "/Contents/MacOS/" NULLWELL_LAUNCHER_NAME),
                            launcher));
    const bool root = ::geteuid() == 0;
    if (root) {
        // The scratch user reaches the fakes and leaves its marks beside them.
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0777);
        QDirIterator all(m_dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (all.hasNext())
            ::chmod(QFile::encodeName(all.next()).constData(), 0755);
    }

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("NULLWELL_FAKE_ANSWER"), QStringLiteral("noagent"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("PKEXEC_UID"));
    process.setProcessEnvironment(environment);
    if (root) {
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
    }
    process.start(launcher, {});
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("no polkit authentication agent is running")))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("No authentication agent found.")))
        << "pkexec's own words still reach standard error";
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("pkexec.args"))));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("main.args"))));
}
