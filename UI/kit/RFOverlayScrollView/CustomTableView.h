#pragma once

#include "RowStyledTableView.h"

class CustomTableViewDelegate;

// The light list of the main window: white rows, a pale blue stored row, a grey line under each
// row, drawn light column headers 20 points high; right clicks go to the list delegate.
class CustomTableView : public RowStyledTableView
{
    Q_OBJECT
public:
    explicit CustomTableView(QWidget *parent = nullptr);

    // Not owned: the owner keeps it alive for as long as the table can be clicked.
    CustomTableViewDelegate *listDelegate() const { return m_listDelegate; }
    void setListDelegate(CustomTableViewDelegate *delegate) { m_listDelegate = delegate; }

protected:
    bool handlesRightClicks() const override { return true; }
    void rightMouseDown(QMouseEvent *event) override;

private:
    CustomTableViewDelegate *m_listDelegate = nullptr;
};
