#pragma once

#include "TableHeaderCell.h"

#include <QHeaderView>

#include <functional>
#include <map>
#include <memory>

// A horizontal header whose sections are drawn by header cells: one per column, installed by the
// owner or made on first use by a factory from the column's title. A pressed section is drawn
// through the cell's highlight.
class HeaderCellView : public QHeaderView
{
    Q_OBJECT
public:
    using CellFactory = std::function<std::unique_ptr<TableHeaderCell>(const TableHeaderCell &titleCell)>;

    explicit HeaderCellView(QWidget *parent = nullptr);
    ~HeaderCellView() override;

    void setCellFactory(CellFactory factory);
    void setHeaderCell(int logicalIndex, std::unique_ptr<TableHeaderCell> cell);
    // The cell that draws a column (made now if needed); null without a model or for a bad index.
    TableHeaderCell *headerCell(int logicalIndex) const;
    int pressedSection() const { return m_pressedSection; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString titleOf(int logicalIndex) const;

    CellFactory m_factory;
    mutable std::map<int, std::unique_ptr<TableHeaderCell>> m_cells;
    int m_pressedSection = -1;
};
