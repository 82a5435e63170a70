#pragma once

#include "FileObj.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

// The main window's file list: the items the person added, which of them are ticked, and the
// rows as the table shows them. The list here is the only copy; the table only reads it.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // How many items are ticked: none, some or all (the select-all box's three pictures).
    enum SelectState { NoneSelected = 0, SomeSelected = 1, AllSelected = 2 };

    explicit FileListModel(QObject *parent = nullptr);

    // The columns' identifiers, in the table's order; the first is the check box.
    static const QStringList &columnIdentifiers();

    FileObjList &items() { return m_items; }
    const FileObjList &items() const { return m_items; }
    FileObjList selectedItems() const;
    SelectState selectState() const;
    // Ticks or unticks one row; false when there is no such row.
    bool toggleRow(int row);
    void setAllSelected(bool selected);

    QString checkBoxImageForRow(int row) const;
    // The text the column with this identifier shows for the row.
    QString cellText(const QString &identifier, int row) const;
    static QString byteToSizeWithByte(quint64 bytes);
    static QString sizeTextForItem(const FileObj &item);

    // Tells the table that the list changed.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // The title widths of the text columns, kept inside the columns the window has room for.
    static float titleWidth(int column);

    FileObjList m_items;
};
