#pragma once

#include "RunProgressWindowController.h"

class ShredProgressWindowControllerDelegate;

// The modal window of one erase run: it asks for confirmation, shows the run's progress with a
// Stop button and ends on a success or a failure pane. It erases nothing itself; every decision
// goes to its delegate, which also drives the progress and the end of the run.
class ShredProgressWindowController : public RunProgressWindowController
{
    Q_OBJECT

public:
    explicit ShredProgressWindowController(QObject *parent = nullptr);

    // Not owned: the opener outlives the window it runs.
    ShredProgressWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(ShredProgressWindowControllerDelegate *delegate) { m_delegate = delegate; }

    // ---- Driven by the opener during the run ----
    void changeProgressValue(int percent, const QString &path);
    void showSeccView();
    void showFailView();

    // ---- Button actions ----
    void beginToDelete();
    void doDeleteButtonClick();
    void stopButtonAction() override;
    void okButtonAction() override;
    void viewLogButtonAction();

    // The view-log buttons of the success and the failure pane.
    CustemImageButton *successViewLogButton() const { return m_successViewLogButton; }
    CustemImageButton *failViewLogButton() const { return m_failViewLogButton; }
    // The whole path last reported (the label may show it shortened).
    QString pathText() const { return m_pathText; }
    // The failure pane's message; the opener may replace its text.
    QLabel *failedNodeLable() const { return m_failedNodeLable; }

protected:
    void loadPanes() override;
    void yesButtonAction() override { beginToDelete(); }

private:
    ShredProgressWindowControllerDelegate *m_delegate = nullptr;
    QPointer<CustemImageButton> m_successViewLogButton;
    QPointer<CustemImageButton> m_failViewLogButton;
    QPointer<QLabel> m_failedNodeLable;
    QString m_pathText;
};
