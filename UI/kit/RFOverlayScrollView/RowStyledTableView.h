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
    // The row the keyboard is on (-1 for none); it survives the owner's reloads.
    int keyboardRow() const;
    // A model reset (the owner's reload) keeps the keyboard's row where it still exists.
    void setModel(QAbstractItemModel *model) override;

signals:
    // The keyboard, or a press of either button, moved to another row: owners store it as the
    // selected row so that the highlight follows.
    void currentRowChanged(int row);
    // Space on the keyboard's row: owners toggle the row's check box, if it has one.
    void toggleRowRequested(int row);

public:
    // The header drawn by header cells, when the table has one.
    HeaderCellView *headerCellView() const { return m_headerCellView; }

protected:
    // Replaces the column headers by drawn cells of one kind, at a fixed height.
    void installHeaderCells(HeaderCellView *header, int height);
    // Tables that answer true hand every right press to rightMouseDown() instead of showing a menu;
    // the row under it becomes the keyboard's row first, so the menu acts on the highlighted row.
    // The menu key and Shift+F10 reach rightMouseDown() too, as a press in the keyboard's row.
    virtual bool handlesRightClicks() const { return false; }
    virtual void rightMouseDown(QMouseEvent *event);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    // A right press made up for the keyboard: in the middle of the keyboard's row (or of the top
    // of the list when there is none).
    void rightMouseDownFromKeyboard();

    RowStyle m_rowStyle;
    HeaderCellView *m_headerCellView = nullptr;
    int m_keptRow = -1;
    int m_keptColumn = 0;
    int m_rowNum = 0;
};

// Keeps the platform's selection colours out of a list's palette and its focus frame off the
// current row, so that only the stored row's fill marks the selection; selected text keeps the
// ordinary text colour.
void clearSelectionHighlight(QWidget *view);
