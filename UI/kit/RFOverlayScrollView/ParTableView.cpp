#include "ParTableView.h"

#include "HeaderCellView.h"
#include "ParTableHeaderCell.h"
#include "Theme.h"

ParTableView::ParTableView(QWidget *parent)
    : RowStyledTableView(RowStyle::plain(theme::darkRowFill(), theme::darkRowSelectedFill()), parent)
{
    auto *header = new HeaderCellView(this);
    header->setCellFactory([](const TableHeaderCell &cell) { return std::make_unique<ParTableHeaderCell>(&cell); });
    installHeaderCells(header, theme::kDarkHeaderHeight);
}
