#pragma once

// A history database of a chosen size in a throw-away bundle, for the history benchmarks.

#include "BenchTiming.h"
#include "DoDataBase.h"
#include "platform/Bundle.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace historybench {

// Binds one BaseTable row (path, method, result, key), steps it and makes the statement reusable.
inline void insertRow(sqlite3_stmt *statement, const QByteArray &path, const QByteArray &key)
{
    sqlite3_bind_text(statement, 1, path.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, "HMG Infosec Standard 5", -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, "Erased", -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 4, key.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(statement);
    sqlite3_reset(statement);
}

inline QString schema()
{
    QFile file(
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../Resources/DataBase.sql")));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the schema at %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

class Database
{
public:
    explicit Database(const QString &folder) : m_dir(folder + QStringLiteral("/bench_history-XXXXXX"))
    {
        const QString bundle = m_dir.path() + QStringLiteral("/Bench.app");
        QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
        Bundle::setMainBundleOverride(bundle);
        m_path = bundle + QStringLiteral("/Contents/Resources/DataBase.db");
    }
    ~Database() { Bundle::setMainBundleOverride(QString()); }

    QString path() const { return m_path; }

    // A fresh empty database, with or without the index on BaseTable(Time).
    sqlite3 *reset(bool withIndex = true)
    {
        QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral("-journal"));
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
            for (int i = 0; i <= items; ++i)
                insertRow(row,
                          i == 0 ? QByteArray("Items") : "/home/user/folder/file-" + QByteArray::number(i),
                          key);
        }
        sqlite3_finalize(run);
        sqlite3_finalize(row);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Runs deleted as they were before: per run, the database opened and each table's rows deleted in
// a commit of its own, with SQLite's own journal.
inline void deleteRunByRun(const QString &path, const QStringList &keys)
{
    for (const QString &key : keys) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        for (const char *sql : {"delete from TimeBase where Time=?", "delete from BaseTable where Time=?"}) {
            sqlite3_stmt *statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            sqlite3_bind_text(statement, 1, key.toUtf8().constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(statement);
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
    }
}

} // namespace historybench
