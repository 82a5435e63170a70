#include "RunHistory.h"

#include "DoDataBase.h"

#include <algorithm>

void RunHistory::addRun(const QString &key)
{
    if (m_runs.contains(key))
        return;
    m_runs.insert(key, Run{});
    m_keys.append(key);
    m_adding = false; // the hash may have moved its entries
}

int RunHistory::sharedText(const char *text, int length, LastText &last)
{
    // Rows mostly repeat the row before: that costs a comparison, not a look-up.
    if (last.index >= 0 && last.bytes == QByteArrayView(text, length))
        return last.index;
    const QByteArray bytes = QByteArray::fromRawData(text, length);
    const auto found = m_textIndex.constFind(bytes);
    int index = 0;
    if (found != m_textIndex.constEnd()) {
        index = *found;
    } else {
        index = int(m_texts.size());
        m_texts.append(QString::fromUtf8(text, length));
        m_textIndex.insert(QByteArray(text, length), index);
    }
    last.bytes = QByteArray(text, length);
    last.index = index;
    return index;
}

void RunHistory::addRecord(const char *key, int keyLength, const char *items, int itemsLength,
                           const char *algorithm, int algorithmLength, const char *result, int resultLength)
{
    if (!m_adding || m_addingKey != QByteArrayView(key, keyLength)) {
        m_adding = true;
        m_addingKey = QByteArray(key, keyLength);
        const auto run = m_runs.find(QString::fromUtf8(key, keyLength));
        m_addingRun = run == m_runs.end() ? nullptr : &*run;
        if (m_addingRun && m_addingRun->rows == 0)
            m_addingRun->firstRow = m_rows.size();
    }
    // Rows of a key with no run are not shown; rows of a key met a second time (never, when the
    // store gives them in key order) would not be contiguous and are dropped as well.
    if (!m_addingRun || m_addingRun->firstRow + m_addingRun->rows != m_rows.size())
        return;
    Row row;
    row.itemsOffset = m_items.size();
    row.itemsLength = itemsLength;
    row.algorithm = sharedText(algorithm, algorithmLength, m_lastAlgorithm);
    row.result = sharedText(result, resultLength, m_lastResult);
    m_items.append(items, itemsLength);
    m_rows.append(row);
    ++m_addingRun->rows;
}

QStringList RunHistory::keys() const
{
    QStringList sorted = m_keys;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

RunHistory::Record RunHistory::recordAt(qsizetype index) const
{
    const Row &row = m_rows.at(index);
    return Record{{DoDataBase::kItemsKey, QString::fromUtf8(m_items.constData() + row.itemsOffset, row.itemsLength)},
                  {DoDataBase::kErasureAlgorithmKey, m_texts.at(row.algorithm)},
                  {DoDataBase::kResultKey, m_texts.at(row.result)}};
}

RunHistory::RecordList RunHistory::value(const QString &key) const
{
    RecordList records;
    const auto run = m_runs.constFind(key);
    if (run == m_runs.constEnd())
        return records;
    records.reserve(run->rows);
    for (int i = 0; i < run->rows; ++i)
        records.append(recordAt(run->firstRow + i));
    return records;
}

RunHistory::RecordList RunHistory::last() const
{
    const QStringList all = keys();
    return all.isEmpty() ? RecordList() : value(all.last());
}

int RunHistory::recordCount(const QString &key) const
{
    return m_runs.value(key).rows;
}

RunHistory::Record RunHistory::record(const QString &key, int index) const
{
    const auto run = m_runs.constFind(key);
    if (run == m_runs.constEnd() || index < 0 || index >= run->rows)
        return Record();
    return recordAt(run->firstRow + index);
}
