#include "DoDataBase.h"

#include "VQPublicUtilities.h"
#include "ZeroingSqliteVfs.h"
#include "base/ErrorText.h"
#include "platform/Bundle.h"
#include "platform/Log.h"

#include <QDebug>

#include <deque>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The keys in whatever order the table holds them: the history orders them once itself.
const char kSelectRuns[] = "select Time from TimeBase";
// Every record in one pass over the table in the order the rows were written, which is the table's
// own order: going through the index on Time instead would look each row up again, about twice the
// time. The history gathers each run's rows (RunHistory::finish).
const char kSelectAllRecords[] = "select Time, Itmes, ErasureAlgorithm, Result from BaseTable order by rowid";
// No more runs than the highest row number of their table.
const char kRunBound[] = "select max(rowid) from TimeBase";
const char kRecordBounds[] = "select (select max(rowid) from BaseTable), "
                             "(select page_count * page_size from pragma_page_count(), pragma_page_size())";
// What a reservation may take at most, whatever a damaged file claims: it is address space, taken up
// only as records fill it.
const qint64 kMaxReservedRecords = 16 * 1024 * 1024;
const qint64 kMaxReservedBytes = qint64(1) << 30;
const char kSelectRecords[] = "select * from BaseTable where Time=?";
const char kInsertRun[] = "INSERT INTO TimeBase (Time) VALUES (?);";
const char kInsertRecord[] = "INSERT INTO BaseTable (Itmes, ErasureAlgorithm,Result,Time) VALUES (?,?,?,?);";
// The keys to delete are gathered in a table of the connection's own (kept in memory), so that each
// table is gone through once however many runs go: TimeBase has no index on its key.
const char kCreateDoomed[] = "CREATE TEMP TABLE DoomedRuns (Time TEXT PRIMARY KEY)";
const char kInsertDoomed[] = "INSERT OR IGNORE INTO DoomedRuns (Time) VALUES (?)";
const char kDeleteRuns[] = "delete from TimeBase where Time in (select Time from DoomedRuns)";
const char kDeleteRecords[] = "delete from BaseTable where Time in (select Time from DoomedRuns)";

// Another process (a second copy of the program, a backup tool) may hold the file for a moment.
const int kBusyTimeoutMs = 5000;
const int kLockPollMs = 10;
// A key is taken when any run or record holds it.
const char kKeyTaken[] =
    "select 1 where exists (select 1 from TimeBase where Time=?1) or exists (select 1 from BaseTable where Time=?1)";
// Runs recorded in one burst move on a second each; this many in a row means something else is wrong.
const int kMaxKeySteps = 3600;

const QString kOpenFailed = QStringLiteral("打开数据库失败！");

// The history names every file that was erased: only its owner may read it. Deleted rows are
// overwritten in place, and the rollback journal (which holds the old pages of every change, the
// deleted rows included) is emptied through the zeroing layer, so nothing deleted stays readable in
// the file or in free blocks; each change is still all or nothing. Temporary tables and statement
// journals stay in memory for the same reason.
const char kPrivacyPragmas[] =
    "PRAGMA secure_delete=ON; PRAGMA journal_mode=TRUNCATE; PRAGMA temp_store=MEMORY;";

// The database and its journals lose any access of group and others, whoever put them there; the
// owner keeps what it has (a read-only history stays read-only).
void restrictToOwner(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"}) {
        const QByteArray name = path.toLocal8Bit() + suffix;
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat status = {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 077) != 0 &&
            ::fchmod(fd, status.st_mode & 0700) != 0) {
            platform::log(
                QStringLiteral("Could not make %1 private: %2")
                    .arg(QString::fromLocal8Bit(name), QString::fromStdString(base::errorText(errno))));
        }
        ::close(fd);
    }
}

// One prepared statement. A statement that failed to prepare still "runs": its step reports a
// failure, so the caller logs it like any other failed step and goes on.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) : m_db(db)
    {
        sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_statement != nullptr; }

    // Values are bound as parameters, never pasted into the text, so any key or path is safe.
    void bind(std::initializer_list<QString> values)
    {
        if (!m_statement)
            return;
        int index = 1;
        for (const QString &value : values) {
            m_values.push_back(value.toUtf8());
            const QByteArray &bytes = m_values.back();
            sqlite3_bind_text(m_statement, index++, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
        }
    }

    bool stepDone() { return step() == SQLITE_DONE; }
    int step() { return m_statement ? sqlite3_step(m_statement) : SQLITE_ERROR; }
    // Makes the statement ready for its next values.
    void reset()
    {
        if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
        m_values.clear();
    }
    bool stepRow() { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }

    // A column that holds no text reads as the empty text.
    QString text(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        if (!data)
            return QString();
        return QString::fromUtf8(data, sqlite3_column_bytes(m_statement, column));
    }

    // The reason of the last failure, for the failure lines.
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    std::deque<QByteArray> m_values;
};

// The rows of one run go in together: a crash never leaves half a run, and a long run costs one
// disk sync. Rows whose insert failed are simply absent; the others are committed.
class RunTransaction
{
public:
    explicit RunTransaction(sqlite3 *db) : m_db(db)
    {
        // Waits for another program's write to end (the busy handler), then holds the write lock
        // until the end, so nothing is written in between.
        m_open = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!m_open)
            platform::log(QStringLiteral("Cannot write the history: ") + QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~RunTransaction() { commit(); }
    RunTransaction(const RunTransaction &) = delete;
    RunTransaction &operator=(const RunTransaction &) = delete;

    bool isOpen() const { return m_open; }
    // Open and not ended by a failure (a full disk, an I/O error end it themselves): a step taken
    // after that would be written on its own, outside the run.
    bool isGoing() const { return m_open && !sqlite3_get_autocommit(m_db); }

    // False when what was written in the transaction could not be kept as a whole.
    bool commit()
    {
        if (!m_open)
            return false;
        m_open = false;
        // Some failures (a full disk, an I/O error) end the transaction themselves; after that each
        // row was written on its own and there is nothing left to commit.
        if (sqlite3_get_autocommit(m_db))
            return false;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        platform::log(QStringLiteral("commit history error: ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    void rollback()
    {
        if (m_open && !sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_open = false;
    }

private:
    sqlite3 *m_db;
    bool m_open = false;
};

// Ends a run's transaction: kept when every step went in, else undone. False (logged) when the run
// is not in the history.
bool finishRun(RunTransaction &transaction, bool ok, const QString &key,
               const std::function<void(const QString &)> &beforeCommit)
{
    if (ok && beforeCommit)
        beforeCommit(key);
    if (ok)
        ok = transaction.commit();
    else
        transaction.rollback();
    if (!ok)
        platform::log(QStringLiteral("The run was not recorded in the history"));
    return ok;
}

} // namespace

const QString DoDataBase::kItemsKey = QStringLiteral("Items");
const QString DoDataBase::kErasureAlgorithmKey = QStringLiteral("Erasure algorithm");
const QString DoDataBase::kResultKey = QStringLiteral("Result");

DoDataBase::DoDataBase() = default;

DoDataBase *DoDataBase::returnDoDataBase()
{
    static DoDataBase *shared = new DoDataBase;
    return shared;
}

QString DoDataBase::getDataBase() const
{
    return Bundle::mainBundle().pathForResource(QStringLiteral("DataBase.db"));
}

void DoDataBase::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QString DoDataBase::runKeyForDateTime(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

QDateTime DoDataBase::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString DoDataBase::makeRunKey(sqlite3 *db) const
{
    // Another window or copy of the program may have recorded a run in this second: the write lock
    // is held, so the first key free now stays free until the run is in.
    Statement taken(db, kKeyTaken);
    const QDateTime start = now();
    for (int second = 0; second < kMaxKeySteps; ++second) {
        const QString key = runKeyForDateTime(start.addSecs(second));
        taken.bind({key});
        const int rc = taken.step();
        taken.reset();
        if (rc == SQLITE_DONE)
            return key;
        // Unreadable: the run's own steps fail and say why.
        if (rc != SQLITE_ROW)
            return key;
    }
    return runKeyForDateTime(start);
}

int DoDataBase::waitForLock(void *self, int attempt)
{
    const auto *store = static_cast<const DoDataBase *>(self);
    if (attempt == 0 && store->m_lockWaitHook)
        store->m_lockWaitHook();
    if (attempt * kLockPollMs >= kBusyTimeoutMs)
        return 0;
    sqlite3_sleep(kLockPollMs);
    return 1;
}

QString DoDataBase::getEraserTimes() const
{
    return VQPublicUtilities::getEraserTimes();
}

sqlite3 *DoDataBase::openDatabase() const
{
    // Never created here: a missing file is a failure to open, not a new database without tables.
    // Each connection lives on one thread for one operation: it needs no lock of its own, which
    // reading a large history would otherwise take and give back several times a record.
    const QString path = getDataBase();
    if (path.isEmpty())
        return nullptr;
    restrictToOwner(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                        ZeroingSqliteVfs::name()) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_handler(db, &DoDataBase::waitForLock, const_cast<DoDataBase *>(this));
    sqlite3_exec(db, kPrivacyPragmas, nullptr, nullptr, nullptr);
    return db;
}

bool DoDataBase::writePlistForHistoryWithArr(const FileObjList &arr)
{
    platform::logf("---------6------------%d", int(arr.size()));
    if (arr.isEmpty())
        return true;
    platform::log(QStringLiteral("---------7-----------"));
    m_eraserTimes = getEraserTimes();
    platform::log(QStringLiteral("---------7-----------") + runKeyForDateTime(now()));

    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(QStringLiteral("---------8----------"));
        platform::log(kOpenFailed);
        return false;
    }
    platform::log(QStringLiteral("---------9----------"));
    bool recorded = false;
    {
        // Every step is tried (a failure logged) while the transaction lasts, but the run is kept
        // whole or not at all.
        RunTransaction transaction(db);
        const QString key = transaction.isOpen() ? makeRunKey(db) : QString();
        bool ok = transaction.isOpen();
        if (transaction.isGoing()) {
            Statement run(db, kInsertRun);
            if (run.prepared()) {
                platform::log(QStringLiteral("---------10----------"));
                run.bind({key});
            }
            platform::log(QStringLiteral("---------11----------"));
            if (!run.stepDone()) {
                ok = false;
                platform::log(QStringLiteral("---------12----------"));
                platform::log(QStringLiteral("update time : ") + run.error());
            }
        }
        if (transaction.isGoing()) {
            platform::log(QStringLiteral("---------13----------"));
            Statement header(db, kInsertRecord);
            if (header.prepared()) {
                platform::log(QStringLiteral("---------14----------"));
                header.bind({QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result"), key});
            }
            platform::log(QStringLiteral("---------15----------"));
            if (!header.stepDone()) {
                ok = false;
                platform::log(QStringLiteral("---------16---------"));
                platform::log(QStringLiteral("update base: ") + header.error());
            }
            platform::log(QStringLiteral("---------17----------"));
        }
        for (auto item = arr.cbegin(); transaction.isGoing() && item != arr.cend(); ++item) {
            platform::log(QStringLiteral("---------18----------"));
            Statement row(db, kInsertRecord);
            if (row.prepared()) {
                const QString url = *item ? (*item)->url() : QString();
                const QString result = *item ? (*item)->failStr() : QString();
                row.bind({url, m_eraserTimes, result, key});
            }
            platform::log(QStringLiteral("---------19----------"));
            if (!row.stepDone()) {
                ok = false;
                platform::log(QStringLiteral("---------20----------"));
                platform::log(QStringLiteral("更新数据库表FIELDS出错: ") + row.error());
            }
        }
        recorded = finishRun(transaction, ok, key, m_beforeCommitHook);
    }
    sqlite3_close(db);
    return recorded;
}

bool DoDataBase::writeWipeVolumesOrFree(const QString &volumeName, const QString &end, bool isFreeSpace)
{
    m_eraserTimes = getEraserTimes();
    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(kOpenFailed);
        return false;
    }
    bool recorded = false;
    {
        RunTransaction transaction(db);
        const QString key = transaction.isOpen() ? makeRunKey(db) : QString();
        const QString what =
            (isFreeSpace ? QStringLiteral("Wipe Free Space:") : QStringLiteral("Wipe Hard Drive:")) + volumeName;
        const struct
        {
            const char *sql;
            std::initializer_list<QString> values;
            QString failure;
        } steps[] = {
            {kInsertRun, {key}, QStringLiteral("update time : ")},
            {kInsertRecord, {QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result"), key},
             QStringLiteral("update base: ")},
            {kInsertRecord, {what, m_eraserTimes, end, key}, QStringLiteral("更新数据库表FIELDS出错: ")},
        };
        bool ok = transaction.isOpen();
        for (const auto &step : steps) {
            if (!transaction.isGoing())
                break;
            Statement statement(db, step.sql);
            statement.bind(step.values);
            if (!statement.stepDone()) {
                ok = false;
                platform::log(step.failure + statement.error());
            }
        }
        recorded = finishRun(transaction, ok, key, m_beforeCommitHook);
    }
    sqlite3_close(db);
    return recorded;
}

DoDataBase::History DoDataBase::getAllData()
{
    History history;
    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(kOpenFailed);
        return history;
    }
    {
        sqlite3_stmt *bound = nullptr;
        if (sqlite3_prepare_v2(db, kRunBound, -1, &bound, nullptr) == SQLITE_OK && sqlite3_step(bound) == SQLITE_ROW)
            history.reserveRuns(qBound<sqlite3_int64>(0, sqlite3_column_int64(bound, 0), kMaxReservedRecords));
        sqlite3_finalize(bound);
        Statement runs(db, kSelectRuns);
        while (runs.stepRow())
            history.addRun(runs.text(0));
    }
    // One statement for every record, its texts handed over as the store holds them: reading a
    // large history costs one pass over it, not one query and a map per record.
    if (!history.isEmpty()) {
        // Bounds of what is coming: no more records than the highest row number, no more text than
        // the file holds.
        sqlite3_stmt *bounds = nullptr;
        if (sqlite3_prepare_v2(db, kRecordBounds, -1, &bounds, nullptr) == SQLITE_OK &&
            sqlite3_step(bounds) == SQLITE_ROW) {
            history.reserve(qBound<sqlite3_int64>(0, sqlite3_column_int64(bounds, 0), kMaxReservedRecords),
                            qBound<sqlite3_int64>(0, sqlite3_column_int64(bounds, 1), kMaxReservedBytes));
        }
        sqlite3_finalize(bounds);
    }
    sqlite3_stmt *records = nullptr;
    if (!history.isEmpty() && sqlite3_prepare_v2(db, kSelectAllRecords, -1, &records, nullptr) == SQLITE_OK) {
        const auto text = [records](int column) {
            return reinterpret_cast<const char *>(sqlite3_column_text(records, column));
        };
        const auto length = [records](int column) { return sqlite3_column_bytes(records, column); };
        while (sqlite3_step(records) == SQLITE_ROW) {
            // Column texts first, their lengths after: the order that keeps the pointers valid.
            const char *key = text(0);
            const char *items = text(1);
            const char *algorithm = text(2);
            const char *result = text(3);
            history.addRecord(key, length(0), items, length(1), algorithm, length(2), result, length(3));
        }
    }
    sqlite3_finalize(records);
    sqlite3_close(db);
    history.finish();
    return history;
}

DoDataBase::RecordList DoDataBase::getValueWith(sqlite3 *db, const QString &key)
{
    RecordList records;
    Statement rows(db, kSelectRecords);
    if (!rows.prepared())
        return records;
    rows.bind({key});
    while (rows.stepRow()) {
        records.append(Record{{kItemsKey, rows.text(0)},
                              {kErasureAlgorithmKey, rows.text(1)},
                              {kResultKey, rows.text(2)}});
    }
    return records;
}

void DoDataBase::deleteDataWithKey(const QString &key)
{
    deleteDataWithKeys({key});
}

bool DoDataBase::deleteDataWithKeys(const QStringList &keys)
{
    if (keys.isEmpty())
        return true;
    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(kOpenFailed);
        return false;
    }
    bool deleted = false;
    {
        // A run's two tables, and all runs of one request, go together or not at all: a failure
        // halfway never leaves records without their run, nor half of an emptied history.
        RunTransaction transaction(db);
        deleted =
            transaction.isOpen() && sqlite3_exec(db, kCreateDoomed, nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!deleted)
            platform::log(QStringLiteral("delete time error: ") + QString::fromUtf8(sqlite3_errmsg(db)));
        Statement doomed(db, kInsertDoomed);
        for (auto key = keys.cbegin(); deleted && key != keys.cend(); ++key) {
            doomed.bind({*key});
            deleted = doomed.stepDone();
            if (!deleted)
                platform::log(QStringLiteral("delete time error: ") + doomed.error());
            doomed.reset();
        }
        if (deleted) {
            Statement runs(db, kDeleteRuns);
            deleted = runs.stepDone();
            if (!deleted)
                platform::log(QStringLiteral("delete time error: ") + runs.error());
        }
        if (deleted) {
            Statement records(db, kDeleteRecords);
            deleted = records.stepDone();
            if (!deleted)
                platform::log(QStringLiteral("delete base error: ") + records.error());
        }
        if (deleted)
            deleted = transaction.commit();
        else
            transaction.rollback();
    }
    sqlite3_close(db);
    return deleted;
}

void DoDataBase::TestDataBase()
{
    QString text;
    const History history = getAllData();
    for (const QString &key : history.keys())
        QDebug(&text).nospace() << key << ": " << history.value(key) << "\n";
    platform::log(text);
}
