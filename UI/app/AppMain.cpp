#include "AppMain.h"

#include "CallerSession.h"
#include "FontWarmUp.h"
#include "ImageLibrary.h"
#include "MainWindowController.h"
#include "MyNSApplication.h"
#include "StartUpQueue.h"
#include "TCImageWindow.h"
#include "VQAppDelegate.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <future>
#include <memory>
#include <optional>
#include <utility>

namespace {

PowerAssertion::AssertionID assertionID = 0;
QTimer *timer = nullptr;
bool assertionHeld = false;
// The inhibitor being asked for: the status and the identifier it was stored under.
std::future<std::pair<int, PowerAssertion::AssertionID>> pendingAssertion;

std::function<int(int, char **)> &loopOverride()
{
    static std::function<int(int, char **)> loop;
    return loop;
}

// Text of a C string that is ASCII throughout; nothing for a null pointer or any other byte.
std::optional<QString> asciiString(const char *text)
{
    if (!text)
        return std::nullopt;
    for (const char *c = text; *c; ++c) {
        if (static_cast<unsigned char>(*c) > 0x7f)
            return std::nullopt;
    }
    return QString::fromLatin1(text);
}

QString deletingLastPathComponent(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

const char *orNull(const char *text)
{
    return text ? text : "(null)";
}

} // namespace

namespace appmain {

int NSApplicationMain(int argc, char *argv[])
{
    if (loopOverride()) {
        FinishPreventSleep();
        return loopOverride()(argc, argv);
    }
    MyNSApplication::install();
    // The delegate shows the main window once the loop runs, and lives as long as the loop.
    VQAppDelegate delegate;
    QTimer::singleShot(0, &delegate, [&delegate] {
        delegate.applicationDidFinishLaunching();
        // The window is on the screen; the loop handles nothing the person does before this returns.
        FinishPreventSleep();
    });
    return QCoreApplication::exec();
}

void setApplicationLoopOverride(std::function<int(int, char **)> loop)
{
    loopOverride() = std::move(loop);
}

const QTimer *activityTimer()
{
    return timer;
}

PowerAssertion::AssertionID currentAssertionID()
{
    return assertionID;
}

} // namespace appmain

int NullwellMain(int argc, char *argv[])
{
    // Never read past the vector: with no argument its terminating null entry stands in.
    const char *first = argc > 0 ? argv[0] : nullptr;
    const char *second = argc > 1 ? argv[1] : nullptr;
    platform::logf("vkl path para[0] = %s, para[1] = %s", orNull(first), orNull(second));

    bool run = false;
    if (argc > 1) {
        const std::optional<QString> argument = asciiString(argv[1]);
        if (argument && argument->endsWith(QStringLiteral("*loaderflag*")))
            run = true;
        else if (argument && argument->length() > 0)
            run = true;
    }
    if (!run && KestrumRunLoader())
        return 0;

    // Timers and bus connections belong to the application object, so it exists before the
    // sleep prevention starts and outlives its release.
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        CallerSession::adoptFromParent();
        application = std::make_unique<QApplication>(argc, argv);
    }
    // The fonts load beside the first window's construction; its first exposure waits for them.
    FontWarmUp::begin();
    // Asked for and drawn on one side thread while the first window is built, in the order the
    // window needs them: the answer at its construction, the sleep prevention as soon as it is
    // mapped, the images at its first picture, the icon once the loop runs.
    TCImageWindow::prepareCompositorAnswer();
    BeginPreventSleep();
    ImageLibrary::prepareImages(MainWindowController::firstPictureImages());
    ImageLibrary::prepareApplicationIcon();
    const int result = appmain::NSApplicationMain(argc, argv);
    // Before the application object goes: its font database destroys the configuration, and
    // documents are parsed with its fonts.
    FontWarmUp::finish();
    ImageLibrary::finishPreparing();
    TCImageWindow::settleCompositorAnswer();
    ReleasePreventObj();
    return result;
}

bool KestrumRunLoader()
{
    QString path = Bundle::mainBundle().bundlePath();
    for (int i = 0; i < 3; ++i)
        path = deletingLastPathComponent(path);
    return Workspace::sharedWorkspace().launchApplication(path);
}

void PreventSleep()
{
    BeginPreventSleep();
    FinishPreventSleep();
}

void BeginPreventSleep()
{
    if (pendingAssertion.valid())
        return;
    // Whatever the distribution's version, an inhibitor that can be had is taken; the activity
    // reports are only for systems that offer none. Chosen here: a test's replacement applies to
    // the thread as well.
    PowerAssertion *power = &PowerAssertion::shared();
    pendingAssertion = StartUpQueue::submit([power] {
        PowerAssertion::AssertionID id = 0;
        const int status = power->createWithName(PowerAssertion::kPreventUserIdleDisplaySleep,
                                                 PowerAssertion::kLevelOn, appmain::kAssertionName, &id);
        return std::make_pair(status, id);
    });
}

void FinishPreventSleep()
{
    if (!pendingAssertion.valid())
        return;
    const auto [status, id] = pendingAssertion.get();
    assertionID = id;
    assertionHeld = status == PowerAssertion::kReturnSuccess;
    if (assertionHeld)
        return;
    PowerAssertion::shared().release(assertionID);
    // A timer needs the application's event loop; without one there is nothing to add it to.
    if (!QCoreApplication::instance())
        return;
    timer = new QTimer();
    timer->setTimerType(Qt::CoarseTimer);
    // The first report goes out as soon as the loop runs, then every 30 seconds.
    timer->setInterval(0);
    QTimer *created = timer;
    QObject::connect(timer, &QTimer::timeout, timer, [created] {
        if (created->interval() != appmain::kActivityIntervalMs)
            created->setInterval(appmain::kActivityIntervalMs);
        MyTimerCallback(created, nullptr);
    });
    timer->start();
}

void ReleasePreventObj()
{
    // A loop that never showed the window still leaves nothing held behind.
    FinishPreventSleep();
    if (assertionHeld) {
        PowerAssertion::shared().release(assertionID);
        assertionHeld = false;
        return;
    }
    if (timer) {
        timer->stop();
        delete timer;
        timer = nullptr;
    }
}

void MyTimerCallback(QTimer *timer, void *info)
{
    Q_UNUSED(timer);
    Q_UNUSED(info);
    PowerAssertion::shared().updateSystemActivity(PowerAssertion::kOverallAct);
}

void setCurLanguage(const char *code)
{
    std::printf("argv = %s\n", orNull(code));
    std::fflush(stdout);
    const QString language = QString::fromUtf8(orNull(code));
    platform::log(QStringLiteral("set lanague to = %1").arg(language));
    UserDefaults::standard().setObject(QStringList{language}, QStringLiteral("AppleLanguages"));
    UserDefaults::standard().synchronize();
}
