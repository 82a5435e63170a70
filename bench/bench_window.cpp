// The application as a person uses it, timed from inside, offscreen (driven by bench/erase_bench.sh).
//
//   build/bench/bench_window tree FOLDER FILES   makes FILES files of 4 KiB in nested folders
//   build/bench/bench_window erase FOLDER        drops FOLDER on the shown and drawn main window, presses erase and
//                                                "Erase Now", waits for the result pane; prints the
//                                                seconds from the drop to the pane, and the pane
//   build/bench/bench_window add N...            drops N paths of existing files on the main window
//                                                (each N in turn, on a fresh window); prints seconds
//
// The built bundle's resources are copied to a temporary bundle (the run's history goes there) and
// the settings are temporary too, with the one-pass method ("-fsvrz": one random pass, then zeros).
// With SRM_TIMES=FILE, each run of the tool appends its own seconds (elapsed, user, system) to FILE:
// the tool's time under the window, beside its time alone. They are taken by the window's runner
// itself, so the window's child is the tool, as in the application.
// SRM_WRAP="COMMAND ARGS" (with SRM_TIMES) runs the tool under /usr/bin/time and that command
// instead, e.g. "perf trace -s -o FILE" for its system calls, or a program reading its
// /proc/PID/schedstat; the window's child is then the wrapper, and whatever it does for its child
// (keeping off its processor) reaches the wrapper instead of the tool.

#include "ApplicationModal.h"
#include "BenchBundle.h"
#include "MainWindowController.h"
#include "ShredProgressWindowController.h"
#include "SpawnedProcessRunner.h"
#include "platform/NotificationCenter.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Calls back once, when the success pane or the failure pane it filters is shown.
class PaneWatch : public QObject
{
public:
    explicit PaneWatch(std::function<void(bool success)> shown) : m_shown(std::move(shown)) {}
    QObject *success = nullptr; // the other pane it filters is the failure pane

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_shown) {
            const auto shown = std::exchange(m_shown, nullptr);
            shown(watched == success);
        }
        return false;
    }

private:
    std::function<void(bool)> m_shown;
};

// 10 folders of 10 folders of files (100 files in each inner folder while they last).
int makeTree(const QString &root, int files)
{
    std::mt19937_64 random(std::random_device{}());
    QByteArray content(4096, '\0');
    for (int i = 0; i < files; ++i) {
        const QString folder =
            QStringLiteral("%1/d%2/e%3").arg(root).arg(i / 1000, 2, 10, QLatin1Char('0')).arg((i / 100) % 10);
        if (i % 100 == 0)
            QDir().mkpath(folder);
        for (int j = 0; j < content.size(); j += 8) {
            const quint64 word = random();
            std::memcpy(content.data() + j, &word, 8);
        }
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/f%1").arg(i));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", path.constData());
            return 1;
        }
        ::close(fd);
    }
    ::sync();
    return 0;
}

// A person drops onto a window that is on the screen and drawn: its first picture (which loads
// the fonts and draws its images) is behind them, not part of the erasure's time.
void showAsAPersonSeesIt(MainWindowController &controller)
{
    controller.showWindow();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The real runner, appending its child's seconds (elapsed, user, system) to a file when it ends.
class TimedRunner : public SpawnedProcessRunner
{
public:
    explicit TimedRunner(QString file) : m_file(std::move(file)) {}
    ~TimedRunner() override { NotificationCenter::defaultCenter().removeObserver(this); }

    bool launch(const QString &program, const QStringList &arguments) override
    {
        ::getrusage(RUSAGE_CHILDREN, &m_before);
        m_clock.start();
        NotificationCenter::defaultCenter().addObserver(
            this, ProcessRunner::kTaskDidTerminateNotification, [this](const Notification &) { note(); }, this);
        return SpawnedProcessRunner::launch(program, arguments);
    }

private:
    static double seconds(const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; }
    // Posted once the child has been collected, so its times are among the children's.
    void note()
    {
        struct rusage after
        {
        };
        ::getrusage(RUSAGE_CHILDREN, &after);
        QFile out(m_file);
        if (!out.open(QIODevice::Append))
            return;
        out.write(QByteArray::number(double(m_clock.nsecsElapsed()) / 1e9, 'f', 3) + ' ' +
                  QByteArray::number(seconds(after.ru_utime) - seconds(m_before.ru_utime), 'f', 3) + ' ' +
                  QByteArray::number(seconds(after.ru_stime) - seconds(m_before.ru_stime), 'f', 3) + '\n');
    }

    QString m_file;
    QElapsedTimer m_clock;
    struct rusage m_before
    {
    };
};

int erase(const QString &folder)
{
    MainWindowController controller;
    showAsAPersonSeesIt(controller);
    QElapsedTimer clock;
    clock.start();
    platform::log(QStringLiteral("drop"));
    controller.viewDragAction({folder});
    platform::log(QStringLiteral("added"));
    if (controller.valueArr().size() != 1) {
        std::fprintf(stderr, "the folder was not added\n");
        return 1;
    }
    QString pane;
    // The erase button opens the progress window modally; "Erase Now" is pressed from its loop.
    // The result pane is caught as it is shown, not looked for on a timer: a timer of a few
    // milliseconds would wake the window thousands of times a run and be timed with it.
    PaneWatch watch([&](bool success) {
        pane = success ? QStringLiteral("success") : QStringLiteral("failure");
        platform::log(QStringLiteral("pane"));
        ApplicationModal::stopModal();
    });
    QTimer::singleShot(0, [&] {
        platform::log(QStringLiteral("erase now"));
        ShredProgressWindowController *progress = controller.shredProgessWC();
        watch.success = progress->successBlowView();
        watch.success->installEventFilter(&watch);
        progress->failBlowView()->installEventFilter(&watch);
        progress->beginToDelete();
    });
    controller.doEraserButtonClick();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %s\n", seconds, qPrintable(pane));
    return pane == QStringLiteral("success") ? 0 : 1;
}

int add(const QStringList &counts)
{
    QTemporaryDir files;
    int made = 0;
    for (const QString &count : counts)
        made = std::max(made, count.toInt());
    QStringList paths;
    for (int i = 0; i < made; ++i) {
        paths << files.filePath(QStringLiteral("item%1.%2").arg(i).arg(i % 7 == 0 ? "txt" : "bin"));
        QFile(paths.last()).open(QIODevice::WriteOnly);
    }
    for (const QString &count : counts) {
        MainWindowController controller;
        showAsAPersonSeesIt(controller);
        const QStringList drop = paths.mid(0, count.toInt());
        QElapsedTimer clock;
        clock.start();
        controller.viewDragAction(drop);
        QApplication::processEvents(); // the table takes the new rows
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        std::printf("%d %.3f\n", int(controller.valueArr().size()), seconds);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s tree FOLDER FILES | erase FOLDER | add N...\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    if (mode == QStringLiteral("tree"))
        return argc == 4 ? makeTree(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3])) : 2;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // No line per item in the timings; LOG=1 prints each line with the milliseconds since the
    // program started, to see where a run's time goes.
    static QElapsedTimer since;
    since.start();
    if (qEnvironmentVariableIntValue("LOG") == 1)
        platform::setLogSink([](const QString &line) {
            std::fprintf(stderr, "%8.1f %s\n", double(since.nsecsElapsed()) / 1e6, qPrintable(line));
        });
    else
        platform::setLogSink([](const QString &) {});
    QTemporaryDir home;
    UserDefaults defaults(home.filePath(QStringLiteral("defaults.conf")));
    UserDefaults::setStandardOverride(&defaults);
    defaults.setInteger(1, QStringLiteral("EraserTimes"));
    const QString bundle = home.filePath(QStringLiteral("Bench.app"));
    if (!benchbundle::copyTree(QStringLiteral(NULLWELL_INNER_BUNDLE), bundle)) {
        std::fprintf(stderr, "cannot copy the built bundle\n");
        return 1;
    }
    Bundle::setMainBundleOverride(bundle);
    if (const QString times = qEnvironmentVariable("SRM_TIMES"); !times.isEmpty() && qgetenv("SRM_WRAP").isEmpty()) {
        ProcessRunner::setFactory([times] { return std::make_unique<TimedRunner>(times); });
    } else if (!times.isEmpty()) {
        const QString srm = bundle + QStringLiteral("/Contents/Resources/srm");
        QFile script(srm);
        if (!QFile::rename(srm, srm + QStringLiteral(".timed")) || !script.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot wrap the bundle's srm\n");
            return 1;
        }
        script.write("#!/bin/sh\nexec /usr/bin/time -a -o '" + QFile::encodeName(times) +
                     "' -f '%e %U %S' " + qgetenv("SRM_WRAP") + " \"$0.timed\" \"$@\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    int status = 2;
    if (mode == QStringLiteral("erase"))
        status = erase(QString::fromLocal8Bit(argv[2]));
    else if (mode == QStringLiteral("add"))
        status = add(app.arguments().mid(2));
    ProcessRunner::setFactory({});
    UserDefaults::setStandardOverride(nullptr);
    Bundle::setMainBundleOverride(QString());
    return status;
}
