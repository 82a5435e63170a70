#include "DoDataBase.h"
#include "ZeroingSqliteVfs.h"

#include "common/LoopImage.h"
#include "common/TestSupport.h"
#include "common/ScopedOverride.h"
#include "platform/Bundle.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>

#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QDateTime kNoon(QDate(2024, 6, 1), QTime(12, 0, 0));
const QString kNoonKey = QStringLiteral("2024-06-01 12-00-00");

FileObjPtr item(const QString &path, const QString &result)
{
    auto file = std::make_shared<FileObj>();
    file->setUrl(path);
    file->setFailStr(result);
    return file;
}

// Direct access to the file, to look at what the store wrote and to set up what it must read.
class Db
{
public:
    explicit Db(const QString &path) { sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr); }
    ~Db() { sqlite3_close(m_db); }
    sqlite3 *handle() const { return m_db; }

    bool exec(const QString &sql) const
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // Every row of a query, columns joined with "|".
    QStringList rows(const QString &sql) const
    {
        QStringList result;
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i)));
            result << columns.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        return result;
    }

private:
    sqlite3 *m_db = nullptr;
};

DoDataBase::Record record(const QString &items, const QString &algorithm, const QString &result)
{
    return {{QStringLiteral("Items"), items}, {QStringLiteral("Erasure algorithm"), algorithm},
            {QStringLiteral("Result"), result}};
}

const DoDataBase::Record kHeader =
    record(QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result"));

class DoDataBaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_path = m_bundle.copyBuiltResource(QStringLiteral("DataBase.db"));
        ASSERT_TRUE(QFile::exists(m_path));
        store()->setClock([this] { return m_now; });
        UserDefaults::standard().setInteger(7, QStringLiteral("EraserTimes"));
    }
    void TearDown() override
    {
        store()->setClock({});
        UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes"));
    }

    static DoDataBase *store() { return DoDataBase::returnDoDataBase(); }
    QStringList timeRows() const { return Db(m_path).rows(QStringLiteral("select * from TimeBase order by rowid")); }
    QStringList baseRows() const { return Db(m_path).rows(QStringLiteral("select * from BaseTable order by rowid")); }

    testsupport::TempBundle m_bundle;
    QString m_path;
    QDateTime m_now = kNoon;
};

} // namespace

TEST_F(DoDataBaseTest, RecordsOneRunRowAndHeaderThenItemsInOrder)
{
    testsupport::LogCapture log;
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/home/a/b.txt"), QStringLiteral("Erased")),
                                          item(QStringLiteral("/home/a/c"), QStringLiteral("Failed"))});
    EXPECT_EQ(timeRows(), QStringList{kNoonKey});
    EXPECT_EQ(baseRows(), (QStringList{QStringLiteral("Items|Erasure Algorithm|Result|") + kNoonKey,
                                       QStringLiteral("/home/a/b.txt|DoD 5220.22-M ECE|Erased|") + kNoonKey,
                                       QStringLiteral("/home/a/c|DoD 5220.22-M ECE|Failed|") + kNoonKey}));
    EXPECT_EQ(store()->eraserTimes(), QStringLiteral("DoD 5220.22-M ECE"));
    const QStringList expected{
        QStringLiteral("---------6------------2"), QStringLiteral("---------7-----------"),
        QStringLiteral("---------7-----------") + kNoonKey, QStringLiteral("---------9----------"),
        QStringLiteral("---------10----------"), QStringLiteral("---------11----------"),
        QStringLiteral("---------13----------"), QStringLiteral("---------14----------"),
        QStringLiteral("---------15----------"), QStringLiteral("---------17----------"),
        QStringLiteral("---------18----------"), QStringLiteral("---------19----------"),
        QStringLiteral("---------18----------"), QStringLiteral("---------19----------")};
    EXPECT_EQ(log.lines(), expected);
}

TEST_F(DoDataBaseTest, EmptyRunStoresNothing)
{
    testsupport::LogCapture log;
    store()->writePlistForHistoryWithArr({});
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("---------6------------0")});
    EXPECT_TRUE(timeRows().isEmpty());
    EXPECT_TRUE(baseRows().isEmpty());
    EXPECT_TRUE(store()->getAllData().isEmpty());
}

TEST_F(DoDataBaseTest, ReadsRunsBackWithTheHeaderRecord)
{
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/x"), QStringLiteral("Erased"))});
    m_now = kNoon.addSecs(61);
    store()->writeWipeVolumesOrFree(QStringLiteral("Data"), QStringLiteral("Failed"), true);
    m_now = kNoon.addSecs(122);
    store()->writeWipeVolumesOrFree(QStringLiteral("USB"), QStringLiteral("Erased"), false);

    const DoDataBase::History history = store()->getAllData();
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history.value(kNoonKey),
              (DoDataBase::RecordList{kHeader, record(QStringLiteral("/x"), QStringLiteral("DoD 5220.22-M ECE"),
                                                      QStringLiteral("Erased"))}));
    EXPECT_EQ(history.value(QStringLiteral("2024-06-01 12-01-01")),
              (DoDataBase::RecordList{kHeader, record(QStringLiteral("Wipe Free Space:Data"),
                                                      QStringLiteral("DoD 5220.22-M ECE"), QStringLiteral("Failed"))}));
    EXPECT_EQ(history.value(QStringLiteral("2024-06-01 12-02-02")).value(1).value(QStringLiteral("Items")),
              QStringLiteral("Wipe Hard Drive:USB"));
    // The method, repeated on every row of every run, is kept once: a long history stays small.
    const auto method = [&history](const QString &key) {
        return history.record(key, 1).value(DoDataBase::kErasureAlgorithmKey).toString();
    };
    EXPECT_EQ(method(kNoonKey).constData(), method(QStringLiteral("2024-06-01 12-02-02")).constData());
    EXPECT_EQ(history.recordCount(kNoonKey), 2);
    EXPECT_TRUE(history.record(kNoonKey, 2).isEmpty());

    // A column without text reads as the empty text.
    Db(m_path).exec(QStringLiteral("insert into TimeBase values ('k'); insert into BaseTable values (NULL, 'm', NULL, 'k')"));
    EXPECT_EQ(store()->getAllData().value(QStringLiteral("k")),
              DoDataBase::RecordList{record(QString(), QStringLiteral("m"), QString())});

    // Runs listed out of order and their rows mixed in the table (two programs recording at once)
    // read back run by run, each in the order its rows were written; rows of a run that is not
    // listed stay out.
    const QString early = QStringLiteral("2024-06-01 11-00-00");
    const QString late = QStringLiteral("2024-06-01 13-00-00");
    Db(m_path).exec(QStringLiteral("insert into TimeBase values ('%1'); insert into TimeBase values ('%2');"
                                   "insert into BaseTable values ('late 1', 'm', 'r', '%2');"
                                   "insert into BaseTable values ('early 1', 'm', 'r', '%1');"
                                   "insert into BaseTable values ('stray', 'm', 'r', 'unlisted');"
                                   "insert into BaseTable values ('late 2', 'm', 'r', '%2');"
                                   "insert into BaseTable values ('early 2', 'm', 'r', '%1');")
                        .arg(early, late));
    const DoDataBase::History mixed = store()->getAllData();
    EXPECT_EQ(mixed.keys(), (QStringList{early, kNoonKey, QStringLiteral("2024-06-01 12-01-01"),
                                         QStringLiteral("2024-06-01 12-02-02"), late, QStringLiteral("k")}));
    const auto items = [&mixed](const QString &key) {
        QStringList all;
        for (const DoDataBase::Record &one : mixed.value(key))
            all << one.value(DoDataBase::kItemsKey).toString();
        return all;
    };
    EXPECT_EQ(items(late), (QStringList{QStringLiteral("late 1"), QStringLiteral("late 2")}));
    EXPECT_EQ(items(early), (QStringList{QStringLiteral("early 1"), QStringLiteral("early 2")}));
    EXPECT_EQ(mixed.record(early, 1).value(DoDataBase::kItemsKey).toString(), QStringLiteral("early 2"));
    EXPECT_EQ(items(kNoonKey), (QStringList{QStringLiteral("Items"), QStringLiteral("/x")}));
    EXPECT_FALSE(mixed.contains(QStringLiteral("unlisted")));
    EXPECT_EQ(mixed.size(), 6);
}

TEST_F(DoDataBaseTest, RunsOfOneSecondGetKeysOfTheirOwn)
{
    const FileObjList run{item(QStringLiteral("/a"), QStringLiteral("Erased"))};
    EXPECT_TRUE(store()->writePlistForHistoryWithArr(run));
    EXPECT_TRUE(store()->writePlistForHistoryWithArr({item(QStringLiteral("/b"), QStringLiteral("Failed"))}));
    m_now = kNoon.addSecs(1);
    EXPECT_TRUE(store()->writePlistForHistoryWithArr(run));

    // The next free second, in the stored form.
    DoDataBase::History history = store()->getAllData();
    ASSERT_EQ(history.keys(), (QStringList{kNoonKey, QStringLiteral("2024-06-01 12-00-01"),
                                           QStringLiteral("2024-06-01 12-00-02")}));
    EXPECT_EQ(history.value(QStringLiteral("2024-06-01 12-00-01")).value(1).value(QStringLiteral("Items")),
              QStringLiteral("/b"));
    for (const QString &key : history.keys())
        EXPECT_EQ(history.recordCount(key), 2) << key.toStdString();

    testsupport::LogCapture log;
    store()->deleteDataWithKey(kNoonKey);
    EXPECT_TRUE(log.lines().isEmpty());
    history = store()->getAllData();
    EXPECT_EQ(history.keys(), (QStringList{QStringLiteral("2024-06-01 12-00-01"), QStringLiteral("2024-06-01 12-00-02")}));
    EXPECT_EQ(baseRows().size(), 4) << "only the deleted run's own records go";

    // A key that is not there: nothing changes, nothing is logged.
    store()->deleteDataWithKey(QStringLiteral("1999-01-01 00-00-00"));
    EXPECT_EQ(baseRows().size(), 4);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(DoDataBaseTest, RunKeyCarriesTheCalendarYearAtNewYear)
{
    // 30 December 2024 is a Monday in the first week of 2025.
    EXPECT_EQ(DoDataBase::runKeyForDateTime(QDateTime(QDate(2024, 12, 30), QTime(23, 59, 59))),
              QStringLiteral("2024-12-30 23-59-59"));
    EXPECT_EQ(DoDataBase::runKeyForDateTime(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0))),
              QStringLiteral("2026-01-01 00-00-00"));
    // 1 January 2027 still belongs to the last week of 2026.
    EXPECT_EQ(DoDataBase::runKeyForDateTime(QDateTime(QDate(2027, 1, 1), QTime(7, 5, 3))),
              QStringLiteral("2027-01-01 07-05-03"));

    m_now = QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59));
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/old"), QStringLiteral("Erased"))});
    m_now = QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1));
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/new"), QStringLiteral("Erased"))});
    // Newest first, as the history lists them.
    EXPECT_EQ(Db(m_path).rows(QStringLiteral("select * from TimeBase order by Time desc")),
              (QStringList{QStringLiteral("2026-01-01 00-00-01"), QStringLiteral("2025-12-31 23-59-59")}));
}

TEST_F(DoDataBaseTest, QuotesInKeysAndPathsAreData)
{
    const QString path = QStringLiteral("/home/o'brien/\"notes\"; drop table BaseTable;--");
    store()->writePlistForHistoryWithArr({item(path, QStringLiteral("Erased"))});
    const QString hostile = QStringLiteral("x' or '1'='1");
    Db db(m_path);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db.handle(), "insert into BaseTable values ('q', 'm', 'r', ?)", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, hostile.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(db.handle(), "insert into TimeBase values (?)", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, hostile.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_finalize(statement);

    const DoDataBase::History history = store()->getAllData();
    EXPECT_EQ(history.value(kNoonKey).value(1).value(QStringLiteral("Items")), path);
    EXPECT_EQ(history.value(hostile), DoDataBase::RecordList{record(QStringLiteral("q"), QStringLiteral("m"), QStringLiteral("r"))});
    // Deleting the quoted key removes its rows only.
    store()->deleteDataWithKey(hostile);
    EXPECT_EQ(timeRows(), QStringList{kNoonKey});
    EXPECT_EQ(baseRows().size(), 2);
}

TEST_F(DoDataBaseTest, MissingDatabaseIsNeverCreated)
{
    QFile::remove(m_path);
    testsupport::LogCapture log;
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/a"), QStringLiteral("Erased"))});
    EXPECT_EQ(log.lines().mid(3), (QStringList{QStringLiteral("---------8----------"), QStringLiteral("打开数据库失败！")}));
    store()->writeWipeVolumesOrFree(QStringLiteral("Data"), QStringLiteral("Erased"), false);
    EXPECT_TRUE(store()->getAllData().isEmpty());
    store()->deleteDataWithKey(kNoonKey);
    EXPECT_EQ(log.lines().count(QStringLiteral("打开数据库失败！")), 4);
    EXPECT_FALSE(QFile::exists(m_path));
}

TEST_F(DoDataBaseTest, DatabaseWithoutTablesLogsEveryFailedStep)
{
    QFile::remove(m_path);
    QFile empty(m_path);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly)); // an empty file is an empty database
    empty.close();
    testsupport::LogCapture log;
    EXPECT_FALSE(store()->writePlistForHistoryWithArr({item(QStringLiteral("/a"), QStringLiteral("Erased"))}));
    const QStringList lines = log.lines();
    EXPECT_FALSE(lines.contains(QStringLiteral("---------10----------")));
    EXPECT_TRUE(lines.contains(QStringLiteral("---------12----------")));
    EXPECT_TRUE(lines.contains(QStringLiteral("update time : no such table: TimeBase")));
    EXPECT_TRUE(lines.contains(QStringLiteral("update base: no such table: BaseTable")));
    EXPECT_TRUE(lines.contains(QStringLiteral("更新数据库表FIELDS出错: no such table: BaseTable")));
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{QStringLiteral("更新数据库表FIELDS出错: no such table: BaseTable"),
                           QStringLiteral("The run was not recorded in the history")}));
    EXPECT_TRUE(store()->getAllData().isEmpty());
}

TEST_F(DoDataBaseTest, FailedRowIsLoggedAndTheRunIsNotKeptByHalves)
{
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/before"), QStringLiteral("Erased"))});
    ASSERT_TRUE(
        Db(m_path).exec(QStringLiteral("create trigger refuse before insert on BaseTable when new.Itmes = "
                                       "'/bad' begin select raise(abort, 'refused'); end")));
    testsupport::LogCapture log;
    EXPECT_FALSE(store()->writePlistForHistoryWithArr({item(QStringLiteral("/a"), QStringLiteral("Erased")),
                                                       item(QStringLiteral("/bad"), QStringLiteral("Erased")),
                                                       item(QStringLiteral("/c"), QStringLiteral("Failed"))}));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("---------20----------")));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("更新数据库表FIELDS出错: refused")));
    EXPECT_EQ(log.lines().last(), QStringLiteral("The run was not recorded in the history"));
    EXPECT_EQ(store()->getAllData().keys(), QStringList{kNoonKey}) << "the run before it stays as it was";
    EXPECT_EQ(baseRows().size(), 2);
}

TEST_F(DoDataBaseTest, BusyDatabaseIsWaitedFor)
{
    Db other(m_path);
    // Like any program that shares the history, the holder waits for a reader's brief lock to go
    // before its commit can take the file; without that, its commit fails and it holds on for good.
    sqlite3_busy_timeout(other.handle(), 10000);
    ASSERT_TRUE(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
    std::atomic<bool> released{false};
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        released = other.exec(QStringLiteral("COMMIT"));
    });
    testsupport::LogCapture log;
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/a"), QStringLiteral("Erased"))});
    holder.join();
    EXPECT_TRUE(released);
    EXPECT_FALSE(log.lines().contains(QStringLiteral("---------12----------")));
    EXPECT_EQ(baseRows().size(), 2);
}

TEST_F(DoDataBaseTest, TwoProgramsRecordingInOneSecondBothKeepTheirRuns)
{
    // The other copy of the program holds the history, its run (under this second's key) written
    // but not yet committed; ours finds it held, and only then does the other finish.
    int held[2];
    int release[2];
    ASSERT_EQ(::pipe(held), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        store()->setBeforeCommitHook([&](const QString &) {
            char signal = 'h';
            ssize_t ignored = ::write(held[1], &signal, 1);
            ignored = ::read(release[0], &signal, 1);
            (void)ignored;
        });
        ::_exit(store()->writePlistForHistoryWithArr({item(QStringLiteral("/theirs"), QStringLiteral("Erased"))}) ? 0 : 1);
    }
    char signal = 0;
    ASSERT_EQ(::read(held[0], &signal, 1), 1);
    int waits = 0;
    store()->setLockWaitHook([&] {
        if (waits++ == 0 && ::write(release[1], "r", 1) != 1)
            ADD_FAILURE() << "cannot release the other program";
    });
    const bool ours = store()->writePlistForHistoryWithArr({item(QStringLiteral("/ours"), QStringLiteral("Erased"))});
    store()->setLockWaitHook({});
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    for (const int fd : {held[0], held[1], release[0], release[1]})
        ::close(fd);

    EXPECT_TRUE(ours);
    EXPECT_EQ(waits, 1) << "ours waited for the lock";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other program's run was not recorded";
    DoDataBase::History history = store()->getAllData();
    ASSERT_EQ(history.keys(), (QStringList{kNoonKey, QStringLiteral("2024-06-01 12-00-01")}));
    EXPECT_EQ(history.value(kNoonKey).value(1).value(QStringLiteral("Items")), QStringLiteral("/theirs"));
    EXPECT_EQ(history.value(QStringLiteral("2024-06-01 12-00-01")).value(1).value(QStringLiteral("Items")),
              QStringLiteral("/ours"));
    store()->deleteDataWithKey(kNoonKey);
    EXPECT_EQ(store()->getAllData().value(QStringLiteral("2024-06-01 12-00-01")).size(), 2);
}

TEST_F(DoDataBaseTest, RunOnAFullDiskIsReportedAndTheHistoryStaysWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    // In a child with a mount namespace of its own, a small tmpfs over the bundle's resources.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const QByteArray resources = QFile::encodeName(m_bundle.resourcePath());
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", resources.constData(), "tmpfs", 0, "size=512k") != 0)
            ::_exit(77);
        if (!QFile::copy(QStringLiteral(NULLWELL_PRISTINE_DATABASE), m_path))
            ::_exit(10);
        if (!store()->writePlistForHistoryWithArr({item(QStringLiteral("/first"), QStringLiteral("Erased"))}))
            ::_exit(11);
        // Fill what is left.
        QFile filler(m_bundle.resourcePath() + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        FileObjList big;
        for (int i = 0; i < 2000; ++i)
            big << item(QStringLiteral("/home/u/a-rather-long-folder-name/file-%1.txt").arg(i), QStringLiteral("Erased"));
        m_now = kNoon.addSecs(5);
        if (store()->writePlistForHistoryWithArr(big))
            ::_exit(12); // claimed recorded
        if (Db(m_path).rows(QStringLiteral("PRAGMA integrity_check")) != QStringList{QStringLiteral("ok")})
            ::_exit(13);
        const DoDataBase::History history = store()->getAllData();
        if (history.keys() != QStringList{kNoonKey} || history.value(kNoonKey).size() != 2)
            ::_exit(14); // half a run, or the earlier one damaged
        QFile::remove(filler.fileName());
        if (!store()->writePlistForHistoryWithArr(big) || store()->getAllData().value(QStringLiteral("2024-06-01 12-00-05")).size() != 2001)
            ::_exit(15);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 copy, 11 first run, 12 full run claimed, 13 damaged, 14 history "
                                         "changed, 15 not recorded once there was room";
}

TEST_F(DoDataBaseTest, EmptyingManyRunsIsAllOrNothing)
{
    for (int second = 0; second < 3; ++second) {
        m_now = kNoon.addSecs(second);
        store()->writePlistForHistoryWithArr(
            {item(QStringLiteral("/r%1").arg(second), QStringLiteral("Erased"))});
    }
    const QStringList keys = store()->getAllData().keys();
    ASSERT_EQ(keys.size(), 3);
    // The last run's records cannot go: the runs before it, already deleted, come back.
    ASSERT_TRUE(Db(m_path).exec(
        QStringLiteral("create trigger refuse before delete on BaseTable when old.Itmes = '/r2' "
                       "begin select raise(abort, 'refused'); end")));
    testsupport::LogCapture log;
    EXPECT_FALSE(store()->deleteDataWithKeys(keys));
    EXPECT_TRUE(log.contains(QStringLiteral("delete base error: refused")));
    EXPECT_EQ(timeRows().size(), 3);
    EXPECT_EQ(baseRows().size(), 6);

    ASSERT_TRUE(Db(m_path).exec(QStringLiteral("drop trigger refuse")));
    EXPECT_TRUE(store()->deleteDataWithKeys(keys));
    EXPECT_TRUE(timeRows().isEmpty());
    EXPECT_TRUE(baseRows().isEmpty());
    EXPECT_TRUE(store()->deleteDataWithKeys({}));
}

TEST_F(DoDataBaseTest, HistoryStaysPrivateAndDeletedRowsLeaveNoTrace)
{
    // A history put back by hand with loose permissions, and a journal left by an older version.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString journal = m_path + QStringLiteral("-journal");
    QFile leftover(journal);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    QFile::setPermissions(journal, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    auto mode = [](const QString &path) {
        struct stat status = {};
        return ::lstat(path.toLocal8Bit().constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    };

    const QByteArray marker = "GONE-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    FileObjList run;
    for (int i = 0; i < 200; ++i)
        run << item(QStringLiteral("/home/u/%1/%2").arg(QString::fromLatin1(marker)).arg(i),
                    QStringLiteral("Erased"));
    store()->writePlistForHistoryWithArr(run);
    EXPECT_EQ(mode(m_path), 0600);
    EXPECT_EQ(mode(journal), 0600);

    int wiped = 0;
    ZeroingSqliteVfs::setBeforeReleaseForTesting([&](const char *) { ++wiped; });
    store()->deleteDataWithKey(kNoonKey);
    ZeroingSqliteVfs::setBeforeReleaseForTesting({});
    EXPECT_EQ(wiped, 1) << "the journal, which held the deleted rows, is wiped before it is emptied";
    EXPECT_TRUE(timeRows().isEmpty());

    QFile database(m_path);
    ASSERT_TRUE(database.open(QIODevice::ReadOnly));
    EXPECT_FALSE(database.readAll().contains(marker)) << "deleted rows are overwritten in the file";
    EXPECT_EQ(mode(m_path), 0600);
    EXPECT_EQ(QFileInfo(journal).size(), 0);
}

TEST_F(DoDataBaseTest, ReadOnlyDatabaseReadsAndRefusesWrites)
{
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/a"), QStringLiteral("Erased"))});
    // Root ignores permission bits, so the file is made immutable for it instead.
    const bool root = ::geteuid() == 0;
    auto setImmutable = [this](bool on) {
        const int fd = ::open(m_path.toLocal8Bit().constData(), O_RDONLY);
        int flags = 0;
        bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    };
    if (root && !setImmutable(true))
        GTEST_SKIP() << "cannot make a file read-only for root here";
    if (!root)
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    struct Restore
    {
        std::function<void()> undo;
        ~Restore() { undo(); }
    } restore{[&] {
        if (root)
            setImmutable(false);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }};

    m_now = kNoon.addSecs(5);
    testsupport::LogCapture log;
    store()->writePlistForHistoryWithArr({item(QStringLiteral("/b"), QStringLiteral("Erased"))});
    EXPECT_TRUE(log.lines().contains(QStringLiteral("update time : attempt to write a readonly database")));
    EXPECT_TRUE(log.lines().contains(QStringLiteral("---------20----------")));
    const DoDataBase::History history = store()->getAllData();
    EXPECT_EQ(history.keys(), QStringList{kNoonKey});
    EXPECT_EQ(history.value(kNoonKey).size(), 2);
}

namespace {

struct Traces
{
    bool deleted = false;
    bool kept = false;
    QString skip;
};

// Records a run to keep and a run to delete on a fresh loop-mounted ext4, deletes the second with
// the given step, unmounts and searches the raw image for each run's marker.
Traces tracesAfterDelete(const std::function<void(const QString &database, const QString &key)> &deleteRun)
{
    Traces traces;
    QTemporaryDir folder;
    testsupport::LoopImage image(folder.path());
    if (!image.mounted()) {
        traces.skip = image.error();
        return traces;
    }
    const QString bundle = image.mountPoint() + QStringLiteral("/Test.app");
    QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
    const QString database = bundle + QStringLiteral("/Contents/Resources/DataBase.db");
    QFile::copy(QStringLiteral(NULLWELL_PRISTINE_DATABASE), database);
    std::optional<testsupport::ScopedOverride<const QString &>> mainBundle;
    mainBundle.emplace(&Bundle::setMainBundleOverride, bundle);

    const QByteArray unique = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    const QByteArray keptMarker = "KEPT-" + unique;
    const QByteArray deletedMarker = "GONE-" + unique;
    auto run = [](const QByteArray &marker, int items) {
        FileObjList list;
        for (int i = 0; i < items; ++i)
            list << item(QStringLiteral("/home/u/%1/file-%2.txt").arg(QString::fromLatin1(marker)).arg(i),
                         QStringLiteral("Erased"));
        return list;
    };
    DoDataBase *store = DoDataBase::returnDoDataBase();
    store->setClock([] { return kNoon; });
    store->writePlistForHistoryWithArr(run(keptMarker, 50));
    store->setClock([] { return kNoon.addSecs(1); });
    store->writePlistForHistoryWithArr(run(deletedMarker, 300));
    store->setClock({});
    ::sync();
    deleteRun(database, QStringLiteral("2024-06-01 12-00-01"));
    mainBundle.reset(); // the image is unmounted next

    if (!image.unmount()) {
        traces.skip = QStringLiteral("cannot unmount the image");
        return traces;
    }
    const QByteArray raw = image.rawImage();
    traces.deleted = raw.contains(deletedMarker);
    traces.kept = raw.contains(keptMarker);
    return traces;
}

} // namespace

TEST(DoDataBaseOnDisk, DeletedRunLeavesNoCopyOnTheDeviceWhereThePlainDefaultsDo)
{
    // The contrast: the same delete with SQLite's own journal, which it deletes after the commit.
    const Traces plain = tracesAfterDelete([](const QString &database, const QString &key) {
        Db db(database);
        db.exec(QStringLiteral("delete from TimeBase where Time='%1'; delete from BaseTable where Time='%1'")
                    .arg(key));
    });
    if (!plain.skip.isEmpty())
        GTEST_SKIP() << plain.skip.toStdString();
    EXPECT_TRUE(plain.deleted) << "the contrast case: the deleted names stay on the device";

    const Traces ours = tracesAfterDelete(
        [](const QString &, const QString &key) { DoDataBase::returnDoDataBase()->deleteDataWithKey(key); });
    ASSERT_TRUE(ours.skip.isEmpty()) << ours.skip.toStdString();
    EXPECT_TRUE(ours.kept) << "the search finds what is still in the history";
    EXPECT_FALSE(ours.deleted);
}
