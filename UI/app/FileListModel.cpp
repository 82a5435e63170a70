#include "FileListModel.h"

#include "ImageAndTextCell.h"
#include "ImageLibrary.h"
#include "Theme.h"
#include "VQPublicUtilities.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

const QString kCheckBoxColumn = QStringLiteral("CheckBox");

QPixmap iconPixmap(const QIcon &icon)
{
    return icon.isNull() ? QPixmap() : icon.pixmap(QSize(16, 16));
}

} // namespace

FileListModel::FileListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

const QStringList &FileListModel::columnIdentifiers()
{
    static const QStringList identifiers = {kCheckBoxColumn, QStringLiteral("name"), QStringLiteral("path"),
                                            QStringLiteral("size"), QStringLiteral("type")};
    return identifiers;
}

FileObjList FileListModel::selectedItems() const
{
    FileObjList chosen;
    std::copy_if(m_items.cbegin(), m_items.cend(), std::back_inserter(chosen),
                 [](const FileObjPtr &item) { return item->isSelect(); });
    return chosen;
}

FileListModel::SelectState FileListModel::selectState() const
{
    int selected = 0;
    for (const FileObjPtr &item : m_items) {
        if (item->isSelect())
            ++selected;
    }
    if (selected == 0)
        return NoneSelected;
    return selected == m_items.size() ? AllSelected : SomeSelected;
}

bool FileListModel::toggleRow(int row)
{
    if (row < 0 || row >= m_items.size())
        return false;
    m_items[row]->setIsSelect(!m_items[row]->isSelect());
    return true;
}

void FileListModel::setAllSelected(bool selected)
{
    for (const FileObjPtr &item : m_items)
        item->setIsSelect(selected);
}

QString FileListModel::checkBoxImageForRow(int row) const
{
    if (row < 0 || row >= m_items.size())
        return QString();
    return QString::fromLatin1(m_items[row]->isSelect() ? theme::kCheckBoxYesImage : theme::kCheckBoxNoImage);
}

QString FileListModel::cellText(const QString &identifier, int row) const
{
    if (row < 0 || row >= m_items.size())
        return QString();
    const FileObj &item = *m_items[row];
    if (identifier == QStringLiteral("name"))
        return item.name();
    if (identifier == QStringLiteral("path"))
        return item.url();
    if (identifier == QStringLiteral("size"))
        return sizeTextForItem(item);
    if (identifier == QStringLiteral("type"))
        return item.type();
    return QString();
}

QString FileListModel::sizeTextForItem(const FileObj &item)
{
    return item.isDir() ? QStringLiteral("--") : byteToSizeWithByte(quint64(std::max<qint64>(0, item.size())));
}

QString FileListModel::byteToSizeWithByte(quint64 bytes)
{
    // The list shows the settings services' disk-size texts: steps of 1000, terabytes at the top.
    if (bytes <= quint64(std::numeric_limits<qint64>::max()))
        return VQPublicUtilities::longlongDiskSize(qint64(bytes));
    return QString::asprintf("%.2f TB", double(float(double(bytes) / 1e12)));
}

void FileListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columnIdentifiers().size());
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles = {QString(), QObject::tr("Name"), QObject::tr("Path"),
                                       QObject::tr("Size"), QObject::tr("Type")};
    return titles.value(section);
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const QString identifier = columnIdentifiers().value(index.column());
    if (identifier == kCheckBoxColumn) {
        if (role == Qt::DecorationRole)
            return ImageLibrary::imageNamed(checkBoxImageForRow(index.row()));
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(identifier, index.row());
    case Qt::DecorationRole:
        if (identifier == QStringLiteral("name"))
            return iconPixmap(m_items[index.row()]->icon());
        return {};
    case ImageAndTextCell::SubWidthRole:
        return titleWidth(index.column());
    default:
        return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    // Rows are picked for the highlight only; nothing is edited in place.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

float FileListModel::titleWidth(int column)
{
    static const float widths[] = {0, 200, 200, 100, 100};
    const float available = float(theme::kMainColumnWidths[column]) - (column == 1 ? 24 : 6);
    return std::min(widths[column], available);
}
