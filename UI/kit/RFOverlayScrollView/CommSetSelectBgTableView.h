#pragma once

#include "RowStyledTableView.h"

// A striped light list: white and light grey rows, a translucent green stored row.
class CommSetSelectBgTableView : public RowStyledTableView
{
    Q_OBJECT
public:
    explicit CommSetSelectBgTableView(QWidget *parent = nullptr);
};
