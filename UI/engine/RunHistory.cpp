#include "RunHistory.h"

#include "DoDataBase.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>

namespace {

// Filling a block of tens of megabytes a page of 4 KiB at a time costs a page fault each, and the
// faults, not the copying, are most of a large history's reading. Large pages where the system
// gives them on request: one fault per 2 MiB. Memory is still taken only as the block fills.
void adviseLargePages(void *start, qsizetype bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
    const auto first = (reinterpret_cast<std::uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + std::uintptr_t(bytes)) & ~(kLargePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(start);
    Q_UNUSED(bytes);
#endif
}

} // namespace

void RunHistory::reserveRuns(qsizetype runs)
{
    m_runs.reserve(runs);
    m_runList.reserve(runs);
    m_keys.reserve(runs);
}

void RunHistory::addRun(const QString &key)
{
    if (m_runs.contains(key))
        return;
    m_runs.insert(key, int(m_runList.size()));
    m_runList.append(Run{});
    m_keys.append(key);
    m_keysSorted = false;
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
        m_addingRun = m_runs.value(QString::fromUtf8(key, keyLength), -1);
    }
    // Rows of a key with no run are not shown.
    if (m_addingRun < 0)
        return;
    Run &run = m_runList[m_addingRun];
    if (run.rows == 0)
        run.firstRow = m_rows.size();
    else if (run.firstRow + run.rows != m_rows.size())
        m_scattered = true;
    Row row;
    row.itemsOffset = m_items.size();
    row.itemsLength = itemsLength;
    row.algorithm = sharedText(algorithm, algorithmLength, m_lastAlgorithm);
    row.result = sharedText(result, resultLength, m_lastResult);
    row.run = m_addingRun;
    m_items.append(items, itemsLength);
    m_rows.append(row);
    ++run.rows;
}

void RunHistory::reserve(qsizetype records, qsizetype textBytes)
{
    m_rows.reserve(records);
    m_items.reserve(textBytes);
    adviseLargePages(m_rows.data(), m_rows.capacity() * qsizetype(sizeof(Row)));
    adviseLargePages(m_items.data(), m_items.capacity());
}

void RunHistory::finish()
{
    m_rows.squeeze();
    m_items.squeeze();
    if (!m_keysSorted) {
        // The store hands the keys in the order the runs were recorded, which is mostly their own
        // order already: checking costs less than sorting them again.
        if (std::is_sorted(m_keys.crbegin(), m_keys.crend()))
            std::reverse(m_keys.begin(), m_keys.end());
        else if (!std::is_sorted(m_keys.cbegin(), m_keys.cend()))
            std::sort(m_keys.begin(), m_keys.end());
        m_keysSorted = true;
    }
    if (m_scattered) {
        // Each run's records together, still in the order they were written.
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [](const Row &first, const Row &second) { return first.run < second.run; });
        for (Run &run : m_runList)
            run = Run{};
        for (qsizetype index = 0; index < m_rows.size(); ++index) {
            Run &run = m_runList[m_rows.at(index).run];
            if (run.rows++ == 0)
                run.firstRow = index;
        }
        m_scattered = false;
    }
    m_adding = false;
}

const RunHistory::Run *RunHistory::findRun(const QString &key) const
{
    const auto found = m_runs.constFind(key);
    return found == m_runs.constEnd() ? nullptr : &m_runList.at(*found);
}

QStringList RunHistory::keys() const
{
    if (m_keysSorted)
        return m_keys;
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
    const Run *run = findRun(key);
    if (!run)
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
    const Run *run = findRun(key);
    return run ? run->rows : 0;
}

RunHistory::Record RunHistory::record(const QString &key, int index) const
{
    const Run *run = findRun(key);
    if (!run || index < 0 || index >= run->rows)
        return Record();
    return recordAt(run->firstRow + index);
}
