#pragma once

#include <QString>

#include <memory>

// Told when the export or delete icon of the history's selected run is clicked; the argument is
// that run's key. Both do nothing unless overridden.
class HistoryDeleteTextFieldCellDelegate
{
public:
    HistoryDeleteTextFieldCellDelegate() = default;
    // A copy is another listener with a life of its own.
    HistoryDeleteTextFieldCellDelegate(const HistoryDeleteTextFieldCellDelegate &) {}
    HistoryDeleteTextFieldCellDelegate &operator=(const HistoryDeleteTextFieldCellDelegate &) { return *this; }
    virtual ~HistoryDeleteTextFieldCellDelegate() = default;

    virtual void clickExportWithDate(const QString &date) { Q_UNUSED(date); }
    virtual void clickDeleteWithDate(const QString &date) { Q_UNUSED(date); }

    // Expires when this listener is destroyed, so a cell that outlives it never calls it.
    std::weak_ptr<const void> lifeToken() const { return m_lifeToken; }

private:
    std::shared_ptr<const char> m_lifeToken = std::make_shared<const char>('\0');
};
