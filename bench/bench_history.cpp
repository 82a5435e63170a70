// How the erasure history behaves as it grows.
//
//   build/bench/bench_history [folder]
//
// The database lives in a temporary bundle below the folder (default: the system's temporary
// folder; give one on the disk you care about, since recording speed is mostly disk syncs).
// Prints the median of several repetitions for:
//   - recording one run of 1,000 items, against the same rows inserted one commit each;
//   - reading back 1,000 and 10,000 runs of 10 items with getAllData, and the ratio between them
//     (10 means linear growth), plus 1,000 runs without the run-key index for comparison.

#include "DoDataBase.h"
#include "platform/Bundle.h"
#include "platform/Log.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Binds one BaseTable row (path, method, result, key), steps it and makes the statement reusable.
void insertRow(sqlite3_stmt *statement, const QByteArray &path, const QByteArray &key)
{
    sqlite3_bind_text(statement, 1, path.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, "HMG Infosec Standard 5", -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, "Erased", -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, key.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_reset(statement);
}

QString schema()
{
    QFile file(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../Resources/DataBase.sql")));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the schema at %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

class Bench
{
public:
    explicit Bench(const QString &folder) : m_dir(folder + QStringLiteral("/bench_history-XXXXXX"))
    {
        const QString bundle = m_dir.path() + QStringLiteral("/Bench.app");
        QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
        Bundle::setMainBundleOverride(bundle);
        m_path = bundle + QStringLiteral("/Contents/Resources/DataBase.db");
    }
    ~Bench() { Bundle::setMainBundleOverride(QString()); }

    // A fresh empty database, with or without the index on BaseTable(Time).
    sqlite3 *reset(bool withIndex = true)
    {
        QFile::remove(m_path);
        sqlite3 *db = nullptr;
        sqlite3_open(m_path.toUtf8().constData(), &db);
        sqlite3_exec(db, schema().toUtf8().constData(), nullptr, nullptr, nullptr);
        if (!withIndex)
            sqlite3_exec(db, "DROP INDEX BaseTableTime", nullptr, nullptr, nullptr);
        return db;
    }

    // runs x items rows under distinct keys, written directly in one transaction.
    void fill(int runs, int items, bool withIndex = true)
    {
        sqlite3 *db = reset(withIndex);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *run = nullptr;
        sqlite3_stmt *row = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO TimeBase (Time) VALUES (?)", -1, &run, nullptr);
        sqlite3_prepare_v2(db, "INSERT INTO BaseTable VALUES (?,?,?,?)", -1, &row, nullptr);
        const QDateTime start(QDate(2020, 1, 1), QTime(0, 0));
        for (int r = 0; r < runs; ++r) {
            const QByteArray key = DoDataBase::runKeyForDateTime(start.addSecs(r)).toUtf8();
            sqlite3_bind_text(run, 1, key.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(run);
            sqlite3_reset(run);
            for (int i = 0; i <= items; ++i) {
                insertRow(row, i == 0 ? QByteArray("Items") : "/home/user/folder/file-" + QByteArray::number(i), key);
            }
        }
        sqlite3_finalize(run);
        sqlite3_finalize(row);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    // The old way of recording: every row its own commit.
    void insertOneCommitEach(int items)
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(m_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = DoDataBase::runKeyForDateTime(QDateTime::currentDateTime()).toUtf8();
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO TimeBase (Time) VALUES (?)", -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, key.constData(), -1, SQLITE_STATIC);
        sqlite3_step(statement);
        sqlite3_finalize(statement);
        for (int i = 0; i <= items; ++i) {
            sqlite3_prepare_v2(db, "INSERT INTO BaseTable (Itmes, ErasureAlgorithm,Result,Time) VALUES (?,?,?,?);", -1,
                               &statement, nullptr);
            insertRow(statement, "/home/user/folder/file-" + QByteArray::number(i), key);
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Median milliseconds of the measured part over several repetitions.
double median(int repetitions, const std::function<void()> &prepare, const std::function<void()> &measured)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    platform::setLogSink([](const QString &) {});
    Bench bench(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath());
    DoDataBase *store = DoDataBase::returnDoDataBase();

    FileObjList items;
    for (int i = 0; i < 1000; ++i) {
        auto item = std::make_shared<FileObj>();
        item->setUrl(QStringLiteral("/home/user/folder/file-%1").arg(i));
        item->setFailStr(QStringLiteral("Erased"));
        items.append(item);
    }
    const double record = median(5, [&] { sqlite3_close(bench.reset()); },
                                 [&] { store->writePlistForHistoryWithArr(items); });
    const double oneEach = median(5, [&] { sqlite3_close(bench.reset()); }, [&] { bench.insertOneCommitEach(1000); });
    std::printf("record 1,000 items:            %9.2f ms (one commit per row: %9.2f ms, ratio %.1fx)\n", record,
                oneEach, oneEach / record);

    int rows = 0;
    const double read1k = median(3, [&] { bench.fill(1000, 10); }, [&] { rows = int(store->getAllData().size()); });
    std::printf("getAllData 1,000 runs:         %9.2f ms (%d runs)\n", read1k, rows);
    const double read10k = median(3, [&] { bench.fill(10000, 10); }, [&] { rows = int(store->getAllData().size()); });
    std::printf("getAllData 10,000 runs:        %9.2f ms (%d runs)\n", read10k, rows);
    std::printf("scaling 1,000 -> 10,000 runs:  %9.2fx (10x is linear)\n", read10k / read1k);
    const double noIndex = median(3, [&] { bench.fill(1000, 10, false); }, [&] { store->getAllData(); });
    std::printf("getAllData 1,000 runs, no index: %7.2f ms (%.1fx the indexed read)\n", noIndex, noIndex / read1k);
    return 0;
}
