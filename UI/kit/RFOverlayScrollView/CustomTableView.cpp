#include "CustomTableView.h"

#include "CustomHeaderCell.h"
#include "CustomTableViewDelegate.h"
#include "HeaderCellView.h"
#include "Theme.h"

CustomTableView::CustomTableView(QWidget *parent)
    : RowStyledTableView(RowStyle::plain(theme::lightRowFill(), theme::lightRowSelectedFill(), 1.0,
                                         theme::lightRowSeparator()),
                         parent)
{
    auto *header = new HeaderCellView(this);
    header->setCellFactory([](const TableHeaderCell &cell) { return std::make_unique<CustomHeaderCell>(&cell); });
    installHeaderCells(header, theme::kLightHeaderHeight);
}

void CustomTableView::rightMouseDown(QMouseEvent *event)
{
    if (m_listDelegate)
        m_listDelegate->listRightMouseDown(event);
}
