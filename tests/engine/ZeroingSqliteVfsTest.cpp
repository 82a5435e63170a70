#include "ZeroingSqliteVfs.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

sqlite3 *openThroughLayer(const QString &path, const char *journalMode)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                    ZeroingSqliteVfs::name());
    sqlite3_exec(db, (QByteArray("PRAGMA journal_mode=") + journalMode).constData(), nullptr, nullptr,
                 nullptr);
    return db;
}

int count(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    const int value =
        statement && sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    return value;
}

// Fills a table with rows that name the marker, in one transaction.
void fill(sqlite3 *db, const QByteArray &marker, int rows)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QByteArray sql = "INSERT INTO t VALUES ('" + marker + "-" + QByteArray::number(i) + "')";
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

} // namespace

TEST(ZeroingSqliteVfs, JournalsHoldOnlyZerosWhenTheirSpaceIsGivenBack)
{
    ASSERT_NE(ZeroingSqliteVfs::name(), nullptr);
    // Emptied in place and deleted afterwards: both ways a journal ends.
    for (const char *mode : {"TRUNCATE", "DELETE"}) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("h.db"));
        sqlite3 *db = openThroughLayer(path, mode);
        sqlite3_exec(db, "CREATE TABLE t (name TEXT)", nullptr, nullptr, nullptr);
        fill(db, "kept", 200);

        QStringList released;
        bool onlyZeros = true;
        ZeroingSqliteVfs::setBeforeReleaseForTesting([&](const char *file) {
            QFile journal(QString::fromLocal8Bit(file));
            released << journal.fileName();
            const QByteArray content = journal.open(QIODevice::ReadOnly) ? journal.readAll() : QByteArray();
            onlyZeros = onlyZeros && !content.isEmpty() && content.count('\0') == content.size();
        });
        sqlite3_exec(db, "DELETE FROM t WHERE rowid % 2 = 0", nullptr, nullptr, nullptr);
        ZeroingSqliteVfs::setBeforeReleaseForTesting({});

        EXPECT_EQ(released, QStringList{path + QStringLiteral("-journal")}) << mode;
        EXPECT_TRUE(onlyZeros) << mode;
        EXPECT_EQ(count(db, "SELECT count(*) FROM t"), 100) << mode;
        sqlite3_close(db);
    }
}

TEST(ZeroingSqliteVfs, ChangeCutOffHalfwayIsRolledBackWhole)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("h.db"));
    sqlite3 *db = openThroughLayer(path, "TRUNCATE");
    sqlite3_exec(db, "CREATE TABLE t (name TEXT)", nullptr, nullptr, nullptr);
    fill(db, "kept", 50);
    sqlite3_close(db);

    // A process that dies in the middle of a large change, after part of it reached the file.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3 *doomed = openThroughLayer(path, "TRUNCATE");
        sqlite3_exec(doomed, "PRAGMA cache_size=1; BEGIN; DELETE FROM t;", nullptr, nullptr, nullptr);
        for (int i = 0; i < 2000; ++i)
            sqlite3_exec(doomed, "INSERT INTO t VALUES (hex(randomblob(100)))", nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_GT(QFile(path + QStringLiteral("-journal")).size(), 0) << "the change was under way";

    db = openThroughLayer(path, "TRUNCATE");
    EXPECT_EQ(count(db, "SELECT count(*) FROM t WHERE name LIKE 'kept-%'"), 50);
    EXPECT_EQ(count(db, "SELECT count(*) FROM t"), 50);
    sqlite3_close(db);
    EXPECT_EQ(QFile(path + QStringLiteral("-journal")).size(), 0);
}
