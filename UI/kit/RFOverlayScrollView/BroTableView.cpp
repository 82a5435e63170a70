#include "BroTableView.h"

#include "Theme.h"

BroTableView::BroTableView(QWidget *parent)
    : RowStyledTableView(darkRowStyle(), parent)
{
}

RowStyle BroTableView::darkRowStyle()
{
    return RowStyle::plain(theme::darkRowFill(), theme::darkRowSelectedFill(), 0.5, theme::darkRowSeparator());
}
