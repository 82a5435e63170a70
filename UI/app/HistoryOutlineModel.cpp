#include "HistoryOutlineModel.h"

#include "HistoryCellRoles.h"
#include "HistoryWindowController.h"
#include "Theme.h"

#include <QSize>

namespace {

// Internal ids: run rows carry 0, record rows the row of their run plus one.
constexpr quintptr kRunRowId = 0;

} // namespace

HistoryOutlineModel::HistoryOutlineModel(const HistoryWindowController *controller, QObject *parent)
    : QAbstractItemModel(parent), m_controller(controller)
{
}

QString HistoryOutlineModel::columnIdentifier(int column)
{
    switch (column) {
    case 0: return QStringLiteral("Name");
    case 1: return QStringLiteral("Type");
    case 2: return QStringLiteral("State");
    default: return QString();
    }
}

QVariant HistoryOutlineModel::itemForIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return QVariant();
    if (index.internalId() == kRunRowId)
        return m_controller->childOfItem(index.row(), QVariant());
    const QVariant run = m_controller->childOfItem(int(index.internalId() - 1), QVariant());
    return m_controller->childOfItem(index.row(), run);
}

void HistoryOutlineModel::setSelectedRow(const QModelIndex &index)
{
    const QModelIndex row = index.isValid() ? index.siblingAtColumn(0) : QModelIndex();
    if (row == m_selectedRow)
        return;
    const QModelIndex previous = m_selectedRow;
    m_selectedRow = row;
    rowChanged(previous);
    rowChanged(row);
}

void HistoryOutlineModel::reload()
{
    beginResetModel();
    m_selectedRow = QModelIndex();
    endResetModel();
}

void HistoryOutlineModel::rowChanged(const QModelIndex &row)
{
    if (row.isValid())
        Q_EMIT dataChanged(row, row.siblingAtColumn(columnCount() - 1));
}

QModelIndex HistoryOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount() || row >= rowCount(parent))
        return QModelIndex();
    if (!parent.isValid())
        return createIndex(row, column, kRunRowId);
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex HistoryOutlineModel::parent(const QModelIndex &index) const
{
    if (!index.isValid() || index.internalId() == kRunRowId)
        return QModelIndex();
    return createIndex(int(index.internalId() - 1), 0, kRunRowId);
}

int HistoryOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return m_controller->numberOfChildrenOfItem(itemForIndex(parent));
}

int HistoryOutlineModel::columnCount(const QModelIndex &) const
{
    return 3;
}

bool HistoryOutlineModel::hasChildren(const QModelIndex &parent) const
{
    // Records count as expandable but have no children; only rows with children open, so only
    // run rows show a disclosure triangle.
    if (parent.isValid() && !m_controller->shouldShowOutlineCellForItem(itemForIndex(parent)))
        return false;
    return rowCount(parent) > 0;
}

QVariant HistoryOutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const QVariant item = itemForIndex(index);
    const bool isRun = item.typeId() == QMetaType::QString;
    const QString column = columnIdentifier(index.column());
    const bool selected = m_selectedRow.isValid() && m_selectedRow == index.siblingAtColumn(0);
    const QVariantMap record = isRun ? QVariantMap() : item.toMap();
    switch (role) {
    case Qt::DisplayRole:
        if (isRun)
            return QString(QLatin1String(""));
        if (column == QLatin1String("Name"))
            return record.value(DoDataBase::kItemsKey).toString();
        if (column == QLatin1String("Type"))
            return record.value(DoDataBase::kErasureAlgorithmKey).toString();
        return record.value(DoDataBase::kResultKey).toString();
    case historycell::SelectedRole:
        return selected;
    case historycell::ObjectValueRole: {
        const QString value = m_controller->objectValueForTableColumn(column, item);
        return value.isEmpty() ? QVariant() : QVariant(value);
    }
    case historycell::ShowButtonsRole:
        return isRun && selected && column == QLatin1String("State");
    case historycell::RunKeyRole:
        return isRun ? item.toString() : itemForIndex(index.parent()).toString();
    case Qt::SizeHintRole:
        return QSize(-1, theme::kHistoryRowHeight);
    default:
        return QVariant();
    }
}

Qt::ItemFlags HistoryOutlineModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
