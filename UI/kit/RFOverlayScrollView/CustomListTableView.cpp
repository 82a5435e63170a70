#include "CustomListTableView.h"

#include "BroTableView.h"
#include "CustomListTableViewDelegate.h"

CustomListTableView::CustomListTableView(QWidget *parent)
    : RowStyledTableView(BroTableView::darkRowStyle(), parent)
{
}

void CustomListTableView::rightMouseDown(QMouseEvent *event)
{
    if (m_listDelegate)
        m_listDelegate->listRightMouseDown(event);
}
