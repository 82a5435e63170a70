#pragma once

#include "RowStyledTableView.h"

// A dark list with thin row lines; right clicks behave as in any table.
class BroTableView : public RowStyledTableView
{
    Q_OBJECT
public:
    explicit BroTableView(QWidget *parent = nullptr);

    // Navy rows, a lighter stored row, a half-point dark line under each row.
    static RowStyle darkRowStyle();
};
