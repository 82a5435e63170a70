// One erasure-worker run over a fresh tree, timed from the start to the run's end, with the real
// overwrite tool. Used by bench/worker_xfs_bench.sh, which runs this build and a baseline in turn
// on the same XFS loop image.
//
//   build/bench/bench_worker_run <folder> <bundle> [files] [per-folder] [bytes]
//
// Makes below folder (default 2,000 files of 4 KiB or of bytes, 0 for empty files that never reach
// the tool, in folders of per-folder, default 40) a tree
// where each folder also holds an empty file and a link, syncs it, then erases the whole tree with
// the worker (one pass), the tool taken from the bundle folder given. Prints the run's time in
// milliseconds and how many items failed.
// On one machine (a 512 MiB XFS loop image, one pass, load 7-28), the worker's own removals put
// off to the end of the run against the build before (which ended the tool and froze the file
// system before every folder, and removed empty files, links and folders at once), medians of
// interleaved rounds: 2,000 files of 4 KiB with an empty file and a link in each of 50 folders,
// 4,548 -> 3,652 ms (5 rounds, ratio 0.80) and 3,584 -> 2,481 ms (7 rounds, 0.69); the same tree
// of empty files only (nothing reaches the tool, nothing was frozen before), 109 -> 347 ms
// (7 rounds, 3.19): the folders' free room filled, one freeze, and a rename per entry.
#include "RemoveFileAndFolder.h"
#include "WorkListBuilder.h"
#include "platform/Bundle.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Delegate : RemoveFileAndFolderDelegate
{
    bool ended = false;
    FileObjList done;
    void removeObjEnd(const FileObjList &list) override
    {
        ended = true;
        done = list;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <bundle> [files] [per-folder] [bytes]\n", argv[0]);
        return 2;
    }
    platform::setLogSink([](const QString &) {});
    Bundle::setMainBundleOverride(QString::fromLocal8Bit(argv[2]));
    const int files = argc > 3 ? std::max(1, atoi(argv[3])) : 2000;
    const int perFolder = argc > 4 ? std::max(1, atoi(argv[4])) : 40;
    QTemporaryDir dir(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench_worker_run-XXXXXX"));
    dir.setAutoRemove(false);
    const QString top = dir.path() + QStringLiteral("/tree");
    const QByteArray content(argc > 5 ? std::max(0, atoi(argv[5])) : 4096, 'x');
    for (int i = 0; i < files; ++i) {
        const QString sub = top + QStringLiteral("/d%1").arg(i / perFolder);
        if (i % perFolder == 0) {
            QDir().mkpath(sub);
            QFile(sub + QStringLiteral("/empty")).open(QIODevice::WriteOnly);
            QFile::link(QStringLiteral("empty"), sub + QStringLiteral("/link"));
        }
        QFile file(sub + QStringLiteral("/file-with-a-name-%1").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return 1;
    }
    const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    ::close(fd);
    auto chosen = std::make_shared<FileObj>();
    chosen->setUrl(top);
    chosen->setIsDir(true);
    const FileObjList work = WorkListBuilder().build({chosen});

    RemoveFileAndFolder worker;
    auto delegate = std::make_shared<Delegate>();
    worker.setDelegate(delegate);
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, [&] { worker.benginToTraskWithArr(work); });
    while (!delegate->ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const auto failed = std::count_if(delegate->done.begin(), delegate->done.end(),
                                      [](const FileObjPtr &item) { return item->failStr() != "Success"; });
    std::printf("%.1f ms, %lld items, %lld failed\n", ms, (long long)work.size(), (long long)failed);
    QDir(dir.path()).removeRecursively();
    return failed == 0 ? 0 : 1;
}
