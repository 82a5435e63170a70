#pragma once

#include "RowStyledTableView.h"

class CustomListTableViewDelegate;

// A dark list: navy rows, a lighter stored row, a thin dark line under each row; right clicks go to
// the list delegate.
class CustomListTableView : public RowStyledTableView
{
    Q_OBJECT
public:
    explicit CustomListTableView(QWidget *parent = nullptr);

    // Not owned: the owner keeps it alive for as long as the table can be clicked.
    CustomListTableViewDelegate *listDelegate() const { return m_listDelegate; }
    void setListDelegate(CustomListTableViewDelegate *delegate) { m_listDelegate = delegate; }

protected:
    bool handlesRightClicks() const override { return true; }
    void rightMouseDown(QMouseEvent *event) override;

private:
    CustomListTableViewDelegate *m_listDelegate = nullptr;
};
