// Whether the window keeps answering while the erasure worker removes entries that never reach the
// tool (empty files and their folders), and how soon Stop ends such a run.
//
//   build/bench/bench_erase_stop [folder] [entries] [stop-after-ms] [per-folder]
//
// Makes a tree of empty files (default 200,000, in folders of per-folder, default 1,000) below the folder (default
// /var/tmp) twice, and runs the worker over each inside an event loop that a 1 ms timer keeps
// asking for a turn, as a window's repaints and clicks would:
//   full  the whole tree: the largest gap between two turns of the loop, and the run's time;
//   stop  Stop is asked for by a timer after stop-after-ms (default 500): the time from that
//         moment to the run's end, and the entries removed by then.
// The peer of each gap is the timer's own 1 ms; its ratio says how many turns of the loop one gap
// swallowed. "Last turn to the end" is the stretch from the loop's last turn to the run's end.
// On one machine (200,201 entries, ext4 under /var/tmp, load average about 10), three runs each:
//   before the worker stepped back to the loop: largest gap 3,409 ms, Stop delay 3,060 ms (Stop
//     seen only once every entry was gone);
//   after: largest gap 22-31 ms, Stop delay 15-61 ms of which the closing sync 5-52 ms; one
//     earlier run under the same load saw a single 163 ms gap.
// With the closing sync and journal clearing moved beside the loop (50,051 entries on an ext4 loop
// image with a 1 GiB journal, a sanitizer build running alongside, two runs each, before/after in
// the same session): last turn to the end 125-185 ms before, 0.1-1.1 ms after (full run), 95 ms
// before, 0.3-1.0 ms after (stopped run); the largest gap including the end 125-185 ms before,
// 32-44 ms after, that being the removals' own slices; Stop delay 101-115 ms before, 148-196 ms
// after (the run still ends only once the sync is done, which now shares the machine).
// With many folders (20,000 empty files, 10 to a folder, on an ext4 loop image with a 64 MiB
// journal, 3 runs each): the largest gap was 50-85 ms while the journal was written home on the
// loop's own thread every 256 emptied folders (17-65 ms a time), and 22-23 ms once that happens
// beside the loop; the runs took 400-470 ms and 413-440 ms.

#include "RemoveFileAndFolder.h"
#include "WorkListBuilder.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Delegate : RemoveFileAndFolderDelegate
{
    bool ended = false;
    qsizetype done = 0;
    std::function<void()> onEnd;
    void removeObjEnd(const FileObjList &list) override
    {
        ended = true;
        done = list.size();
        onEnd();
    }
};

struct Figures
{
    double largestGapMs = 0; // while items were being removed
    double endGapMs = 0;     // from the last turn to the run's end (the final sync)
    double runMs = 0;
    double stopDelayMs = -1;
    qsizetype done = 0;
    qsizetype listed = 0;
};

FileObjList makeTree(const QString &top, int entries, int perFolder)
{
    for (int i = 0; i < entries; ++i) {
        const QString sub = top + QStringLiteral("/d%1").arg(i / perFolder);
        if (i % perFolder == 0)
            QDir().mkpath(sub);
        QFile(sub + QStringLiteral("/f%1").arg(i)).open(QIODevice::WriteOnly);
    }
    auto chosen = std::make_shared<FileObj>();
    chosen->setUrl(top);
    chosen->setIsDir(true);
    return WorkListBuilder().build({chosen});
}

Figures run(const FileObjList &work, int stopAfterMs)
{
    Figures figures;
    figures.listed = work.size();
    RemoveFileAndFolder worker;
    auto delegate = std::make_shared<Delegate>();
    worker.setDelegate(delegate);

    QElapsedTimer clock;
    QElapsedTimer sinceTurn;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        figures.largestGapMs = std::max(figures.largestGapMs, double(sinceTurn.nsecsElapsed()) / 1e6);
        sinceTurn.restart();
    });
    double stopAt = -1;
    if (stopAfterMs >= 0)
        QTimer::singleShot(stopAfterMs, Qt::PreciseTimer, [&] {
            // Measured from when the click was due: a loop that was not turning delays the click too.
            stopAt = double(stopAfterMs);
            worker.isCancel();
        });
    // The stretch from the last turn of the loop to the run's end counts as a gap too.
    delegate->onEnd = [&] {
        figures.endGapMs = double(sinceTurn.nsecsElapsed()) / 1e6;
        tick.stop();
    };
    tick.start(1);
    clock.start();
    sinceTurn.start();
    QTimer::singleShot(0, [&] { worker.benginToTraskWithArr(work); });
    while (!delegate->ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    figures.runMs = double(clock.nsecsElapsed()) / 1e6;
    // A loop that never turned never saw the click: the run's end is then all the delay there is.
    if (stopAfterMs >= 0)
        figures.stopDelayMs = std::max(0.0, figures.runMs - (stopAt >= 0 ? stopAt : double(stopAfterMs)));
    figures.done = delegate->done;
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    platform::setLogSink([](const QString &) {}); // a line per entry would be the measurement
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/var/tmp");
    const int entries = argc > 2 ? std::max(1, atoi(argv[2])) : 200000;
    const int stopAfter = argc > 3 ? std::max(0, atoi(argv[3])) : 500;
    const int perFolder = argc > 4 ? std::max(1, atoi(argv[4])) : 1000;
    QTemporaryDir dir(folder + QStringLiteral("/bench_erase_stop-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder below %s\n", qPrintable(folder));
        return 1;
    }

    const Figures full = run(makeTree(dir.filePath(QStringLiteral("full")), entries, perFolder), -1);
    std::printf("full: %lld entries, run %.0f ms, largest loop gap %.1f ms (ratio to the 1 ms tick %.0f), "
                "last turn to the end %.1f ms\n",
                static_cast<long long>(full.listed), full.runMs, full.largestGapMs, full.largestGapMs,
                full.endGapMs);
    const Figures stopped = run(makeTree(dir.filePath(QStringLiteral("stop")), entries, perFolder), stopAfter);
    std::printf("stop after %d ms: run ended %.1f ms after Stop, %lld of %lld entries done, largest loop "
                "gap %.1f ms, last turn to the end %.1f ms\n",
                stopAfter, stopped.stopDelayMs, static_cast<long long>(stopped.done),
                static_cast<long long>(stopped.listed), stopped.largestGapMs, stopped.endGapMs);
    return 0;
}
