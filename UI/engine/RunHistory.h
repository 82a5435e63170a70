#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Every recorded run and its records, as read from the history store, kept compact: the texts of
// all records in one block, each record a few numbers into it, and method and result texts (which
// repeat from row to row) once each. A history of tens of thousands of runs then takes tens of
// bytes a record rather than a map of variants each. Records are made into maps only when asked
// for, one run or one row at a time. Copies share the data.
class RunHistory
{
public:
    // One record as readers see it: keys "Items", "Erasure algorithm" and "Result".
    using Record = QVariantMap;
    using RecordList = QList<Record>;

    // ---- Filled by the store ----
    // Room for about this many runs (a bound, not an exact count): the key table is then built
    // once rather than grown and rebuilt as the runs come.
    void reserveRuns(qsizetype runs);
    // A run key; a key given again is the same run.
    void addRun(const QString &key);
    // A record of the run under the key (raw UTF-8 texts), after the records given before it under
    // the same key. Records of a key with no run are dropped. Records of different runs may come
    // mixed, in the order they were written (the store's own order, which needs no sorting):
    // finish() puts each run's records together.
    void addRecord(const char *key, int keyLength, const char *items, int itemsLength, const char *algorithm,
                   int algorithmLength, const char *result, int resultLength);
    // Room for about this many records and bytes of their texts (bounds, not exact counts): a large
    // history then fills its blocks in place instead of moving them as they grow. finish() gives
    // back what was not used.
    void reserve(qsizetype records, qsizetype textBytes);
    // Called after the last run and record: orders the keys once and gathers each run's records.
    void finish();

    // ---- Read by the windows ----
    qsizetype size() const { return m_keys.size(); }
    bool isEmpty() const { return m_keys.isEmpty(); }
    bool contains(const QString &key) const { return m_runs.contains(key); }
    // Every run key, oldest first (after finish(), without copying or sorting them again).
    QStringList keys() const;
    // The records of the run, in the order they were written; none for an unknown key.
    RecordList value(const QString &key) const;
    // The records of the newest run.
    RecordList last() const;
    int recordCount(const QString &key) const;
    // Record number index of the run; an empty map when there is none.
    Record record(const QString &key, int index) const;

private:
    struct Row
    {
        qsizetype itemsOffset = 0;
        int itemsLength = 0;
        int algorithm = 0; // into m_texts
        int result = 0;
        int run = 0; // into m_runList
    };
    struct Run
    {
        qsizetype firstRow = 0;
        int rows = 0;
    };
    const Run *findRun(const QString &key) const;

    struct LastText
    {
        QByteArray bytes;
        int index = -1;
    };

    int sharedText(const char *text, int length, LastText &last);
    Record recordAt(qsizetype row) const;

    QStringList m_keys;
    // Key to its place in m_runList.
    QHash<QString, int> m_runs;
    QList<Run> m_runList;
    bool m_keysSorted = true;
    // Some run's records did not all come in a row: finish() gathers them.
    bool m_scattered = false;
    QList<Row> m_rows;
    QByteArray m_items;
    QStringList m_texts;
    QHash<QByteArray, int> m_textIndex;
    LastText m_lastAlgorithm;
    LastText m_lastResult;
    // The key of the records being added and their run (-1 when it is unknown).
    bool m_adding = false;
    QByteArray m_addingKey;
    int m_addingRun = -1;
};
