#pragma once

#include "RowStyle.h"

#include <QTreeView>
#include <QVariantList>

// The history's outline: white rows and a pale blue row for the one its owner stored, counted
// among the rows on show (expanded children included). The platform's selection highlight is
// never drawn. Owners install their own item delegates per column.
class VQCustomOutlineView : public QTreeView
{
    Q_OBJECT
public:
    explicit VQCustomOutlineView(QWidget *parent = nullptr);

    int isSelectRow() const { return m_isSelectRow; }
    void setIsSelectRow(int row);
    // What the history view calls when a row is chosen; it reloads the outline afterwards.
    void setSelectCellBackgroundColorWithRow(int row) { setIsSelectRow(row); }

    QVariantList isRootArr() const { return m_isRootArr; }
    void setIsRootArr(const QVariantList &roots) { m_isRootArr = roots; }

    // The position of an item among the rows on show, -1 when it is not on show.
    int visualRowOf(const QModelIndex &index) const;

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int rowAtTop(int top, int height, const QModelIndex &index) const;

    RowStyle m_rowStyle;
    QVariantList m_isRootArr;
    int m_isSelectRow = 0;
};
