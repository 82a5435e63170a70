#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

class CustomTableView;
class DragView;
class QAbstractItemModel;
class QPushButton;
class RFOverlayScrollView;
class TCImageButton;

// The main window's list pane as the person sees it: the file list's table in its overlay scroll
// view (taking drops), and the bar under it with the empty, add and erase buttons. What the
// widgets do is the window controller's to say.
class FileListPane : public QWidget
{
    Q_OBJECT

public:
    FileListPane(QAbstractItemModel *model, const QSize &size, QWidget *parent);

    // The select-all box in the table's header.
    QPushButton *makeSelectAllButton();

    DragView *dragView() const { return m_dragView; }
    CustomTableView *table() const { return m_table; }
    TCImageButton *emptyButton() const { return m_emptyButton; }
    TCImageButton *addButton() const { return m_addButton; }
    TCImageButton *eraseButton() const { return m_eraseButton; }

private:
    QPointer<DragView> m_dragView;
    QPointer<RFOverlayScrollView> m_scrollView;
    QPointer<CustomTableView> m_table;
    QPointer<TCImageButton> m_emptyButton;
    QPointer<TCImageButton> m_addButton;
    QPointer<TCImageButton> m_eraseButton;
};
