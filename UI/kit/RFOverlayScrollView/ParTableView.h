#pragma once

#include "RowStyledTableView.h"

// A dark list without row lines under drawn dark column headers 25 points high.
class ParTableView : public RowStyledTableView
{
    Q_OBJECT
public:
    explicit ParTableView(QWidget *parent = nullptr);
};
