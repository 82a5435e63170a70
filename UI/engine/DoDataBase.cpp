#include "DoDataBase.h"

#include "VQPublicUtilities.h"
#include "ZeroingSqliteVfs.h"
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

const char kSelectRuns[] = "select * from TimeBase order by Time desc";
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
                    .arg(QString::fromLocal8Bit(name), QString::fromLocal8Bit(std::strerror(errno))));
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

    bool stepDone() { return m_statement && sqlite3_step(m_statement) == SQLITE_DONE; }
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
        const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        m_open = rc == SQLITE_OK;
        // Still locked after the wait: every row would wait as long again, so they fail at once
        // and are logged instead of freezing the window for minutes.
        if (rc == SQLITE_BUSY)
            sqlite3_busy_timeout(db, 0);
    }
    ~RunTransaction() { commit(); }
    RunTransaction(const RunTransaction &) = delete;
    RunTransaction &operator=(const RunTransaction &) = delete;

    bool isOpen() const { return m_open; }

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

QString DoDataBase::makeRunKey() const
{
    return runKeyForDateTime(m_clock ? m_clock() : QDateTime::currentDateTime());
}

QString DoDataBase::getEraserTimes() const
{
    return VQPublicUtilities::getEraserTimes();
}

sqlite3 *DoDataBase::openDatabase() const
{
    // Never created here: a missing file is a failure to open, not a new database without tables.
    const QString path = getDataBase();
    if (path.isEmpty())
        return nullptr;
    restrictToOwner(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                        ZeroingSqliteVfs::name()) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_exec(db, kPrivacyPragmas, nullptr, nullptr, nullptr);
    return db;
}

void DoDataBase::writePlistForHistoryWithArr(const FileObjList &arr)
{
    platform::logf("---------6------------%d", int(arr.size()));
    if (arr.isEmpty())
        return;
    platform::log(QStringLiteral("---------7-----------"));
    m_eraserTimes = getEraserTimes();
    const QString key = makeRunKey();
    platform::log(QStringLiteral("---------7-----------") + key);

    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(QStringLiteral("---------8----------"));
        platform::log(kOpenFailed);
        return;
    }
    platform::log(QStringLiteral("---------9----------"));
    {
        RunTransaction transaction(db);
        {
            Statement run(db, kInsertRun);
            if (run.prepared()) {
                platform::log(QStringLiteral("---------10----------"));
                run.bind({key});
            }
            platform::log(QStringLiteral("---------11----------"));
            if (!run.stepDone()) {
                platform::log(QStringLiteral("---------12----------"));
                platform::log(QStringLiteral("update time : ") + run.error());
            }
        }
        platform::log(QStringLiteral("---------13----------"));
        {
            Statement header(db, kInsertRecord);
            if (header.prepared()) {
                platform::log(QStringLiteral("---------14----------"));
                header.bind({QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result"), key});
            }
            platform::log(QStringLiteral("---------15----------"));
            if (!header.stepDone()) {
                platform::log(QStringLiteral("---------16---------"));
                platform::log(QStringLiteral("update base: ") + header.error());
            }
        }
        platform::log(QStringLiteral("---------17----------"));
        for (const FileObjPtr &item : arr) {
            platform::log(QStringLiteral("---------18----------"));
            Statement row(db, kInsertRecord);
            if (row.prepared()) {
                const QString url = item ? item->url() : QString();
                const QString result = item ? item->failStr() : QString();
                row.bind({url, m_eraserTimes, result, key});
            }
            platform::log(QStringLiteral("---------19----------"));
            if (!row.stepDone()) {
                platform::log(QStringLiteral("---------20----------"));
                platform::log(QStringLiteral("更新数据库表FIELDS出错: ") + row.error());
            }
        }
    }
    sqlite3_close(db);
}

void DoDataBase::writeWipeVolumesOrFree(const QString &volumeName, const QString &end, bool isFreeSpace)
{
    m_eraserTimes = getEraserTimes();
    const QString key = makeRunKey();
    sqlite3 *db = openDatabase();
    if (!db) {
        platform::log(kOpenFailed);
        return;
    }
    {
        RunTransaction transaction(db);
        Statement run(db, kInsertRun);
        run.bind({key});
        if (!run.stepDone())
            platform::log(QStringLiteral("update time : ") + run.error());
        Statement header(db, kInsertRecord);
        header.bind({QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result"), key});
        if (!header.stepDone())
            platform::log(QStringLiteral("update base: ") + header.error());
        const QString what = (isFreeSpace ? QStringLiteral("Wipe Free Space:") : QStringLiteral("Wipe Hard Drive:"))
            + volumeName;
        Statement row(db, kInsertRecord);
        row.bind({what, m_eraserTimes, end, key});
        if (!row.stepDone())
            platform::log(QStringLiteral("更新数据库表FIELDS出错: ") + row.error());
    }
    sqlite3_close(db);
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
        Statement runs(db, kSelectRuns);
        while (runs.stepRow()) {
            const QString key = runs.text(0);
            // Runs that share a key share their records: read them once.
            if (!history.contains(key))
                history.insert(key, getValueWith(db, key));
        }
    }
    sqlite3_close(db);
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
    QDebug(&text).nospace() << getAllData();
    platform::log(text);
}
