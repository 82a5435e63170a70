// Copying a file with its extended attributes through the 5 MiB buffer, against Qt's own copy.
//
//   build/bench/bench_copy [folder]
//
// The files live below the folder (default: the system's temporary folder). Prints the median of
// seven copies of a 64 MiB file and of a folder of 500 files of 4 KiB, for both ways, and the
// ratio (our time / Qt's time; below 1 means faster).

#include "BenchTiming.h"
#include "CFGrowlAdditions.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

void writeFile(const QString &path, qint64 size)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const QByteArray chunk(1 << 20, 'x');
    for (qint64 written = 0; written < size; written += chunk.size())
        file.write(chunk.left(static_cast<qsizetype>(std::min<qint64>(chunk.size(), size - written))));
}

void compare(const char *label, const QStringList &sources, const QString &target)
{
    auto clear = [&] {
        QDir(target).removeRecursively();
        QDir().mkpath(target);
    };
    const double ours = benchtiming::median(7, clear, [&] {
        for (const QString &source : sources)
            GrowlCopyObjectSync(source, target, nullptr);
    });
    const double qt = benchtiming::median(7, clear, [&] {
        for (const QString &source : sources)
            QFile::copy(source, target + QLatin1Char('/') + QFileInfo(source).fileName());
    });
    std::printf("%-28s ours %8.2f ms   QFile::copy %8.2f ms   ratio %.2f\n", label, ours, qt, ours / qt);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    platform::setLogSink([](const QString &) {});
    QTemporaryDir root(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/bench-XXXXXX"));
    const QString big = root.filePath(QStringLiteral("big.bin"));
    writeFile(big, 64LL << 20);
    compare("one file of 64 MiB", {big}, root.filePath(QStringLiteral("to-big")));

    QDir().mkpath(root.filePath(QStringLiteral("small")));
    QStringList small;
    for (int i = 0; i < 500; ++i) {
        small << root.filePath(QStringLiteral("small/f%1").arg(i));
        writeFile(small.last(), 4096);
    }
    compare("500 files of 4 KiB", small, root.filePath(QStringLiteral("to-small")));
    return 0;
}
