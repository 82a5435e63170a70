#pragma once

#include "CustemImageButton.h"
#include "VQProgressView.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QWidget;
class ShredProgressWindowControllerDelegate;
class TCImageWindow;

// The modal window of one erase run: it asks for confirmation, shows the run's progress with a
// Stop button and ends on a success or a failure pane. It erases nothing itself; every decision
// goes to its delegate, which also drives the progress and the end of the run.
class ShredProgressWindowController : public QObject
{
    Q_OBJECT

public:
    explicit ShredProgressWindowController(QObject *parent = nullptr);
    ~ShredProgressWindowController() override;

    TCImageWindow *window() const { return m_window.get(); }
    // Not owned: the opener outlives the window it runs.
    ShredProgressWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(ShredProgressWindowControllerDelegate *delegate) { m_delegate = delegate; }

    // Centres the window and runs it modally; returns when one of its buttons has ended the loop.
    void runModal();

    // ---- Driven by the opener during the run ----
    void changeProgressValue(int percent, const QString &path);
    void showProgressView();
    void showSeccView();
    void showFailView();

    // ---- Button actions ----
    void cancelButtonAction();
    void beginToDelete();
    void doDeleteButtonClick();
    void stopButtonAction();
    void okButtonAction();
    void viewLogButtonAction();

    // ---- Views ----
    CustemImageButton *stopButton() const { return m_stopButton; }
    CustemImageButton *successOkButton() const { return m_successOkButton; }
    CustemImageButton *failOkButton() const { return m_FailOkButton; }
    CustemImageButton *cancelButton() const { return m_cancelButton; }
    CustemImageButton *yesButton() const { return m_yesButton; }
    // The view-log buttons of the success and the failure pane.
    CustemImageButton *successViewLogButton() const { return m_successViewLogButton; }
    CustemImageButton *failViewLogButton() const { return m_failViewLogButton; }
    VQProgressView *progressView() const { return m_progressView; }
    QLabel *pathLabel() const { return m_pathLabel; }
    // The whole path last reported (the label may show it shortened).
    QString pathText() const { return m_pathText; }
    QWidget *progressBlowView() const { return m_progressBlowView; }
    QWidget *successBlowView() const { return m_successBlowView; }
    QWidget *failBlowView() const { return m_failBlowView; }
    QWidget *makeSureView() const { return m_makeSureView; }
    QLabel *cancelNodeLabel() const { return m_cancelNodeLabel; }
    QLabel *shredNodeLabel() const { return m_shredNodeLabel; }
    // The failure pane's message; the opener may replace its text.
    QLabel *failedNodeLable() const { return m_failedNodeLable; }
    QLabel *eraserType() const { return m_eraserType; }
    QLabel *titleLabel() const { return m_titleLabel; }

private:
    void loadWindow();
    void awakeFromNib();
    void addMakeSureView();
    void addProGressBlowView();
    void addOkButton();

    std::unique_ptr<TCImageWindow> m_window;
    TCImageWindow *m_aWindow = nullptr;
    QPointer<CustemImageButton> m_stopButton;
    QPointer<CustemImageButton> m_successOkButton;
    QPointer<CustemImageButton> m_FailOkButton;
    QPointer<CustemImageButton> m_cancelButton;
    QPointer<CustemImageButton> m_yesButton;
    QPointer<CustemImageButton> m_successViewLogButton;
    QPointer<CustemImageButton> m_failViewLogButton;
    QPointer<VQProgressView> m_progressView;
    ShredProgressWindowControllerDelegate *m_delegate = nullptr;
    QPointer<QLabel> m_pathLabel;
    QString m_pathText;
    QPointer<QWidget> m_progressBlowView;
    QPointer<QWidget> m_successBlowView;
    QPointer<QWidget> m_failBlowView;
    QPointer<QWidget> m_makeSureView;
    QPointer<QLabel> m_cancelNodeLabel;
    QPointer<QLabel> m_shredNodeLabel;
    QPointer<QLabel> m_failedNodeLable;
    QPointer<QLabel> m_eraserType;
    QPointer<QLabel> m_titleLabel;
};
