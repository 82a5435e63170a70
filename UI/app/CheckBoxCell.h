#pragma once

#include <QStyledItemDelegate>

// A check-box column's cell: the row's check-box picture, centred.
class CheckBoxCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
