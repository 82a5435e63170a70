#pragma once

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QVariant>

class HistoryWindowController;

// Presents the history controller's runs and records to the outline: top rows are run keys,
// their children the run's records, in the columns "Name", "Type" and "State". Every cell role
// (see HistoryCellRoles.h) is asked of the controller, so the outline always shows what it holds.
class HistoryOutlineModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit HistoryOutlineModel(const HistoryWindowController *controller, QObject *parent = nullptr);

    static QString columnIdentifier(int column);

    // What the controller's outline item at this index is: a run key (QString), a record
    // (QVariantMap) or, for the root, nothing.
    QVariant itemForIndex(const QModelIndex &index) const;
    // The row the outline shows as chosen (column 0); invalid for none. Only the rows that gain or
    // lose the choice are drawn again.
    void setSelectedRow(const QModelIndex &index);
    QModelIndex selectedRow() const { return m_selectedRow; }

    // Tells the outline that the controller's runs were replaced.
    void reload();

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void rowChanged(const QModelIndex &row);

    const HistoryWindowController *m_controller;
    QPersistentModelIndex m_selectedRow;
};
