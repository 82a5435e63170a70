#pragma once

#include "FileObj.h"
#include "RunHistory.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

struct sqlite3;

// The erasure history in "DataBase.db" among the bundle's resources: one TimeBase row per recorded
// run and, in BaseTable, a header row followed by one row per item, all under the run key (the
// local time the run was recorded, or the next second no other run holds: every run has a key of
// its own, so deleting one never takes another's records). The database is opened and closed around every operation so
// that nothing holds it between runs; it stays readable by its owner only, and what is deleted
// from it leaves no copy on disk. One shared instance, used from the main thread.
class DoDataBase
{
public:
    // One BaseTable row as readers see it: keys "Items", "Erasure algorithm" and "Result".
    using Record = RunHistory::Record;
    using RecordList = RunHistory::RecordList;
    // Run key to the records of every run stored under it.
    using History = RunHistory;
    using Clock = std::function<QDateTime()>;

    static const QString kItemsKey;
    static const QString kErasureAlgorithmKey;
    static const QString kResultKey;

    static DoDataBase *returnDoDataBase();

    // Path of "DataBase.db" in the main bundle's resources; empty when it is not there.
    QString getDataBase() const;

    // Records an erase run: the header row, then one row per item (its path and result text).
    // The run is recorded whole or not at all; false (logged) when it was not, so the person can be
    // told. Another program writing the history is waited for, up to a few seconds.
    bool writePlistForHistoryWithArr(const FileObjList &arr);
    // Records a drive wipe (isFreeSpace false) or a free-space wipe of the named volume; as above.
    bool writeWipeVolumesOrFree(const QString &volumeName, const QString &end, bool isFreeSpace);
    // Every run, keyed by run key; an unreadable database reads as an empty history.
    History getAllData();
    // The records stored under one key, header rows included, in the order they were written.
    RecordList getValueWith(sqlite3 *db, const QString &key);
    // Removes every run stored under the key.
    void deleteDataWithKey(const QString &key);
    // Removes the runs of all the keys at once; on any failure nothing is removed. False then.
    bool deleteDataWithKeys(const QStringList &keys);
    QString getEraserTimes() const;
    void TestDataBase();

    // The method name of the run being written.
    QString eraserTimes() const { return m_eraserTimes; }

    // "yyyy-MM-dd HH-mm-ss" with the calendar year, so keys sort in time order.
    static QString runKeyForDateTime(const QDateTime &when);
    // The time source of the run key (tests); an empty clock restores the system's local time.
    void setClock(Clock clock);
    // Called when the history is found held by another program, before waiting (tests).
    void setLockWaitHook(std::function<void()> hook) { m_lockWaitHook = std::move(hook); }
    // Called with a run's key once its rows are in, before they are committed (tests).
    void setBeforeCommitHook(std::function<void(const QString &key)> hook) { m_beforeCommitHook = std::move(hook); }

private:
    DoDataBase();

    // The run key for now, moved on a second at a time past keys already taken; empty on failure.
    QString makeRunKey(sqlite3 *db) const;
    sqlite3 *openDatabase() const;
    QDateTime now() const;
    static int waitForLock(void *self, int attempt);

    QString m_eraserTimes;
    Clock m_clock;
    std::function<void()> m_lockWaitHook;
    std::function<void(const QString &)> m_beforeCommitHook;
};
