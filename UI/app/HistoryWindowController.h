#pragma once

#include "FadingWindowController.h"
#include "HistoryDeleteTextFieldCellDelegate.h"

#include <QPointer>
#include <QString>

class HistoryWindowControllerDelegate;
class QWidget;

// The erasure history: every recorded run, newest first, with its records; deletes one run or
// all of them, and exports the selected run as an XHTML page.
class HistoryWindowController : public FadingWindowController, public HistoryDeleteTextFieldCellDelegate
{
    Q_OBJECT

public:
    explicit HistoryWindowController(QObject *parent = nullptr);
    ~HistoryWindowController() override;

    // 590 x 440; the main window reparents it into its history pane.
    QWidget *contentView() const;
    // Not owned; never called once destroyed.
    void setDelegate(HistoryWindowControllerDelegate *delegate);
    HistoryWindowControllerDelegate *delegate() const;

    // Reloads from the shared history store.
    void getEraserHistory();

private:
    QPointer<QWidget> m_contentView;
    HistoryWindowControllerDelegate *m_delegate = nullptr;
};
