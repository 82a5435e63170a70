#include "CommSetSelectBgTableView.h"

#include "Theme.h"

namespace {
RowStyle stripedStyle()
{
    RowStyle style;
    style.evenFill = theme::stripedRowEvenFill();
    style.oddFill = theme::stripedRowOddFill();
    style.selectedFill = theme::stripedRowSelectedFill();
    return style;
}
} // namespace

CommSetSelectBgTableView::CommSetSelectBgTableView(QWidget *parent)
    : RowStyledTableView(stripedStyle(), parent)
{
}
