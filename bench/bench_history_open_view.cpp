// The first opening of the history pane as the history grows: its time and the process's peak memory.
//
//   build/bench/bench_history_open_view [folder] [runs,runs,...]     (default 10000,50000)
//   BUSY=1 build/bench/bench_history_open_view ...                    every core kept busy meanwhile
//
// For each size a history of runs of 10 items is written below the folder (default: the system's
// temporary folder), and fresh processes, in rounds that alternate, either
//   open   show the main window, then press its history button until the history has been drawn;
//   alone  show the main window only (the program without its history);
//   floor  step once over every record of the store with SQLite, keeping nothing.
// Each process reports its time and its peak memory; medians of ROUNDS (default 5) are printed.
// BASELINE=old/build/bench/bench_history_open_view adds, in the same rounds, the earlier build's
// "open" on the same store, and the median of each round's ratio (this build / the earlier one).

#include "BenchBundle.h"
#include "BenchTiming.h"
#include "HistoryBenchDatabase.h"
#include "HistoryWindowController.h"
#include "MainWindowController.h"
#include "VQCustomOutlineView.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
// One measurement in this process; prints "milliseconds peak-KiB".
int child(const QString &mode, const QString &bundle, int argc, char **argv)
{
    if (mode == QStringLiteral("floor")) {
        QElapsedTimer clock;
        clock.start();
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(bundle + QStringLiteral("/Contents/Resources/DataBase.db")).constData(),
                        &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, "select Time, Itmes, ErasureAlgorithm, Result from BaseTable", -1, &statement,
                           nullptr);
        long bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            bytes += sqlite3_column_bytes(statement, 1);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        std::printf("%.2f %ld\n", double(clock.nsecsElapsed()) / 1e6, peakKiB() + 0 * bytes);
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::setLogSink([](const QString &) {});
    QTemporaryDir home;
    UserDefaults defaults(home.filePath(QStringLiteral("defaults.conf")));
    UserDefaults::setStandardOverride(&defaults);
    Bundle::setMainBundleOverride(bundle);
    double milliseconds = 0;
    {
        MainWindowController controller;
        controller.window()->show();
        QCoreApplication::processEvents();
        if (mode == QStringLiteral("open")) {
            QElapsedTimer clock;
            clock.start();
            controller.showLogWindow();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            controller.historyWC()->historyOutlineView()->viewport()->repaint();
            milliseconds = double(clock.nsecsElapsed()) / 1e6;
        }
        std::printf("%.2f %ld\n", milliseconds, peakKiB());
        std::fflush(stdout);
    }
    UserDefaults::setStandardOverride(nullptr);
    Bundle::setMainBundleOverride(QString());
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "child")
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), argc, argv);

    QCoreApplication core(argc, argv);
    platform::setLogSink([](const QString &) {});
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QList<int> sizes;
    for (const QByteArray &part : QByteArray(argc > 2 ? argv[2] : "10000,50000").split(','))
        sizes << part.toInt();
    const int rounds = qEnvironmentVariableIsSet("ROUNDS") ? qEnvironmentVariableIntValue("ROUNDS") : 5;

    std::vector<pid_t> spinners;
    if (qEnvironmentVariableIntValue("BUSY") == 1) {
        for (unsigned i = 0; i < std::thread::hardware_concurrency(); ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long sink = 0;
                for (unsigned long n = 0;; ++n)
                    sink = n;
                (void)sink;
            }
            spinners.push_back(pid);
        }
    }

    historybench::Database database(folder);
    // The built bundle's images and settings, with the bench's history in place of the shipped one.
    QTemporaryDir bundleHome(folder + QStringLiteral("/bench_history_open-XXXXXX"));
    const QString bundle = bundleHome.filePath(QStringLiteral("Bench.app"));
    if (!benchbundle::copyTree(QStringLiteral(NULLWELL_INNER_BUNDLE), bundle)) {
        std::fprintf(stderr, "cannot copy the built bundle\n");
        return 1;
    }
    const QString storePath = bundle + QStringLiteral("/Contents/Resources/DataBase.db");

    std::printf("History pane, first opening; runs of 10 items; medians of %d rounds%s\n", rounds,
                spinners.empty() ? "" : ", every core busy");
    const QString baseline = qEnvironmentVariable("BASELINE");
    if (baseline.isEmpty()) {
        std::printf("%7s | %9s %9s | %10s %10s | %9s\n", "runs", "open ms", "floor ms", "peak MB", "alone MB",
                    "open/floor");
    } else {
        std::printf("%7s | %9s %9s | %10s %10s | %9s | %9s %9s %9s\n", "runs", "open ms", "floor ms", "peak MB",
                    "alone MB", "open/floor", "base ms", "base MB", "open/base");
    }
    for (int runs : sizes) {
        database.fill(runs, 10);
        QFile::remove(storePath);
        QFile::copy(database.path(), storePath);
        std::vector<double> open, openPeak, alone, floorTime, base, basePeak, ratio;
        QStringList modes{QStringLiteral("open"), QStringLiteral("alone"), QStringLiteral("floor")};
        if (!baseline.isEmpty())
            modes << QStringLiteral("base");
        for (int round = 0; round < rounds; ++round) {
            // Which of this build and the earlier one goes first changes from round to round.
            if (!baseline.isEmpty() && round > 0)
                modes.swapItemsAt(0, 3);
            for (const QString &name : modes) {
                const QByteArray mode = name.toLatin1();
                const bool isBase = mode == "base";
                QProcess process;
                process.start(isBase ? baseline : QCoreApplication::applicationFilePath(),
                              {QStringLiteral("child"), isBase ? QStringLiteral("open") : name, bundle});
                process.waitForFinished(-1);
                const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
                if (fields.size() != 2) {
                    std::fprintf(stderr, "the %s process failed\n", mode.constData());
                    return 1;
                }
                const double ms = fields[0].toDouble();
                const double mb = fields[1].toDouble() / 1024.0;
                if (mode == "open") {
                    open.push_back(ms);
                    openPeak.push_back(mb);
                } else if (isBase) {
                    base.push_back(ms);
                    basePeak.push_back(mb);
                } else if (mode == "alone") {
                    alone.push_back(mb);
                } else {
                    floorTime.push_back(ms);
                }
            }
            if (!baseline.isEmpty())
                ratio.push_back(open.back() / base.back());
        }
        std::printf("%7d | %9.1f %9.1f | %10.1f %10.1f | %9.2f", runs, median(open), median(floorTime),
                    median(openPeak), median(alone), median(open) / median(floorTime));
        if (!baseline.isEmpty())
            std::printf(" | %9.1f %9.1f %9.2f", median(base), median(basePeak), median(ratio));
        std::printf("\n");
        std::fflush(stdout);
    }
    for (pid_t pid : spinners) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}
