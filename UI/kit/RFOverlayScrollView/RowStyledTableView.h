#pragma once

#include "RowStyle.h"

#include <QTableView>

class HeaderCellView;

// A table that paints every row's background itself and never shows the platform's selection
// highlight: the row that looks selected is the one its owner stored with setRowNum(), normally
// from its selection handler. Owners install their own item delegates per column
// (setItemDelegateForColumn); the delegates draw over the row backgrounds.
class RowStyledTableView : public QTableView
{
    Q_OBJECT
public:
    explicit RowStyledTableView(const RowStyle &style, QWidget *parent = nullptr);

    int rowNum() const { return m_rowNum; }
    // Stores the row painted as selected (any value; rows outside the list match none) and repaints.
    void setRowNum(int row);
    const RowStyle &rowStyle() const { return m_rowStyle; }
    // The header drawn by header cells, when the table has one.
    HeaderCellView *headerCellView() const { return m_headerCellView; }

protected:
    // Replaces the column headers by drawn cells of one kind, at a fixed height.
    void installHeaderCells(HeaderCellView *header, int height);
    // Tables that answer true hand every right press to rightMouseDown() instead of selecting the
    // row under it or showing a menu.
    virtual bool handlesRightClicks() const { return false; }
    virtual void rightMouseDown(QMouseEvent *event);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    RowStyle m_rowStyle;
    HeaderCellView *m_headerCellView = nullptr;
    int m_rowNum = 0;
};

// Keeps the platform's selection colours out of a list's palette and its focus frame off the
// current row, so that only the stored row's fill marks the selection; selected text keeps the
// ordinary text colour.
void clearSelectionHighlight(QWidget *view);
