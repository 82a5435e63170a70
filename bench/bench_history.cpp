// How the erasure history behaves as it grows.
//
//   build/bench/bench_history [folder]
//
// The database lives in a temporary bundle below the folder (default: the system's temporary
// folder; give one on the disk you care about, since recording speed is mostly disk syncs).
// Prints the median of several repetitions for:
//   - recording one run of 1,000 items, against the same rows inserted one commit each;
//   - reading back 1,000 and 10,000 runs of 10 items with getAllData, and the ratio between them
//     (10 means linear growth), plus 1,000 runs without the run-key index for comparison;
//   - deleting one run of 10,000 (its journal wiped before it is given back), against the same rows
//     deleted with SQLite's own journal in two commits.

#include "HistoryBenchDatabase.h"
#include "platform/Log.h"

#include <cstdio>

using benchtiming::median;

namespace {

// The old way of recording: every row its own commit.
void insertOneCommitEach(const QString &path, int items)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray key = DoDataBase::runKeyForDateTime(QDateTime::currentDateTime()).toUtf8();
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO TimeBase (Time) VALUES (?)", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, key.constData(), -1, SQLITE_STATIC);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    for (int i = 0; i <= items; ++i) {
        sqlite3_prepare_v2(db,
                           "INSERT INTO BaseTable (Itmes, ErasureAlgorithm,Result,Time) VALUES (?,?,?,?);",
                           -1, &statement, nullptr);
        historybench::insertRow(statement, "/home/user/folder/file-" + QByteArray::number(i), key);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
}

} // namespace

int main(int argc, char **argv)
{
    platform::setLogSink([](const QString &) {});
    historybench::Database bench(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath());
    DoDataBase *store = DoDataBase::returnDoDataBase();

    FileObjList items;
    for (int i = 0; i < 1000; ++i) {
        auto item = std::make_shared<FileObj>();
        item->setUrl(QStringLiteral("/home/user/folder/file-%1").arg(i));
        item->setFailStr(QStringLiteral("Erased"));
        items.append(item);
    }
    const double record = median(
        5, [&] { sqlite3_close(bench.reset()); }, [&] { store->writePlistForHistoryWithArr(items); });
    const double oneEach = median(
        5, [&] { sqlite3_close(bench.reset()); }, [&] { insertOneCommitEach(bench.path(), 1000); });
    std::printf("record 1,000 items:            %9.2f ms (one commit per row: %9.2f ms, ratio %.1fx)\n",
                record, oneEach, oneEach / record);

    int rows = 0;
    const double read1k = median(
        3, [&] { bench.fill(1000, 10); }, [&] { rows = int(store->getAllData().size()); });
    std::printf("getAllData 1,000 runs:         %9.2f ms (%d runs)\n", read1k, rows);
    const double read10k = median(
        3, [&] { bench.fill(10000, 10); }, [&] { rows = int(store->getAllData().size()); });
    std::printf("getAllData 10,000 runs:        %9.2f ms (%d runs)\n", read10k, rows);
    std::printf("scaling 1,000 -> 10,000 runs:  %9.2fx (10x is linear)\n", read10k / read1k);
    const double noIndex = median(
        3, [&] { bench.fill(1000, 10, false); }, [&] { store->getAllData(); });
    std::printf("getAllData 1,000 runs, no index: %7.2f ms (%.1fx the indexed read)\n", noIndex,
                noIndex / read1k);

    // Deleting one run now wipes the journal it leaves: what privacy costs on this disk.
    const QString key =
        DoDataBase::runKeyForDateTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(5000));
    const double deleteOne = median(
        5, [&] { bench.fill(10000, 10); }, [&] { store->deleteDataWithKey(key); });
    const double deletePlain = median(
        5, [&] { bench.fill(10000, 10); }, [&] { historybench::deleteRunByRun(bench.path(), {key}); });
    std::printf(
        "delete 1 of 10,000 runs:       %9.2f ms (plain SQLite, two commits: %9.2f ms, ratio %.2fx)\n",
        deleteOne, deletePlain, deleteOne / deletePlain);
    return 0;
}
