// What turning a chosen folder into the work list costs, against the plainest walk of the same tree.
//
//   build/bench/bench_worklist [folder] [files]
//
// Makes a tree of empty files (default 20,000, in folders of 200) below the folder (default: the
// system's temporary folder), then prints the median of seven runs of:
//   - WorkListBuilder::build on the tree (no link followed, one file system, one record per entry);
//   - nftw with FTW_PHYS over the same tree (one lstat per entry, nothing recorded): the baseline;
// and their ratio. The machine's noise cancels in the ratio, not in the times.

#include "BenchTiming.h"
#include "WorkListBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ftw.h>

namespace {

long g_seen = 0;

int countEntry(const char *, const struct stat *, int, FTW *)
{
    ++g_seen;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int files = argc > 2 ? std::max(1, atoi(argv[2])) : 20000;
    QTemporaryDir dir(folder + QStringLiteral("/bench_worklist-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder below %s\n", qPrintable(folder));
        return 1;
    }
    const QString top = dir.filePath(QStringLiteral("tree"));
    for (int i = 0; i < files; ++i) {
        const QString sub = top + QStringLiteral("/d%1").arg(i / 200);
        if (i % 200 == 0)
            QDir().mkpath(sub);
        QFile(sub + QStringLiteral("/f%1").arg(i)).open(QIODevice::WriteOnly);
    }
    auto chosen = std::make_shared<FileObj>();
    chosen->setUrl(top);
    chosen->setIsDir(true);

    qsizetype listed = 0;
    const double builder = benchtiming::median(
        7, [] {}, [&] { listed = WorkListBuilder().build({chosen}).size(); });
    const QByteArray native = QFile::encodeName(top);
    const double walk = benchtiming::median(
        7, [] {},
        [&] {
            g_seen = 0;
            ::nftw(native.constData(), countEntry, 16, FTW_PHYS);
        });
    std::printf("entries: builder %lld, walk %ld\n", static_cast<long long>(listed), g_seen);
    std::printf("work list: %.2f ms, plain walk: %.2f ms, ratio %.2f\n", builder, walk, builder / walk);
    return 0;
}
