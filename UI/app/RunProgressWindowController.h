#pragma once

#include "CustemImageButton.h"
#include "TCWindowDelegate.h"
#include "VQProgressView.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class TCImageWindow;

// What the erase and the wipe windows share: a modal window of four panes (confirm, progress,
// success, failure) of which one shows at a time, a progress bar, a Stop button that turns the
// progress pane into a cancelling one, and OK buttons that end the modal loop.
//
// The desktop's close (a window-manager close, Alt+F4) presses the button of the pane that shows:
// Cancel on the confirm pane, Stop while the run goes on (the window stays until the run has
// ended, so its result and its history are never lost), OK on a result pane. Return presses the
// pane's default button and Escape its cancelling one in the same way.
class RunProgressWindowController : public QObject, public TCWindowDelegate
{
    Q_OBJECT

public:
    // How one of the two windows differs from the other.
    struct Look
    {
        QColor titleColor;
        qreal buttonY = 0;
        qreal buttonHeight = 0;
        QRectF cancelFrame;
        quint64 cancelColorType = 0;
        QString yesCaption;
        QString yesIdentifier;
        qreal barWidth = 0;
        float barStart = 0;
        qreal methodY = 0;
        QString workingText;
    };

    ~RunProgressWindowController() override;

    TCImageWindow *window() const { return m_window.get(); }
    // Centres the window and runs it modally; returns when one of its buttons has ended the loop.
    void runModal();
    void showProgressView();

    virtual void cancelButtonAction();
    virtual void stopButtonAction() = 0;
    virtual void okButtonAction() = 0;

    // The desktop asks to close: the pane's button is pressed once this request has returned,
    // and the window itself never closes here.
    bool windowShouldClose(TCImageWindow *window) override;

    CustemImageButton *stopButton() const { return m_stopButton; }
    CustemImageButton *successOkButton() const { return m_successOkButton; }
    CustemImageButton *failOkButton() const { return m_FailOkButton; }
    CustemImageButton *cancelButton() const { return m_cancelButton; }
    CustemImageButton *yesButton() const { return m_yesButton; }
    VQProgressView *progressView() const { return m_progressView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *pathLabel() const { return m_pathLabel; }
    QWidget *progressBlowView() const { return m_progressBlowView; }
    QWidget *successBlowView() const { return m_successBlowView; }
    QWidget *failBlowView() const { return m_failBlowView; }
    QWidget *makeSureView() const { return m_makeSureView; }
    QLabel *cancelNodeLabel() const { return m_cancelNodeLabel; }
    QLabel *shredNodeLabel() const { return m_shredNodeLabel; }
    QLabel *eraserType() const { return m_eraserType; }

protected:
    explicit RunProgressWindowController(const Look &look, QObject *parent);

    // Builds the panes' own texts (the subclass's layout) before the shared controls are added.
    virtual void loadPanes() = 0;
    // "Erase Now" or "Continue".
    virtual void yesButtonAction() = 0;
    // Builds the window: panes, then the dressed title bar, buttons and bar in their fixed order.
    void load();

    // The result panes leave the confirm pane as it is.
    void showResultPane(bool success);
    // The progress pane's cancelling look: the working texts give way to the cancel label and
    // Stop can no longer be pressed.
    void showCancelling();

    const Look m_look;
    std::unique_ptr<TCImageWindow> m_window;
    TCImageWindow *m_aWindow = nullptr;
    QPointer<CustemImageButton> m_stopButton;
    QPointer<CustemImageButton> m_successOkButton;
    QPointer<CustemImageButton> m_FailOkButton;
    QPointer<CustemImageButton> m_cancelButton;
    QPointer<CustemImageButton> m_yesButton;
    QPointer<VQProgressView> m_progressView;
    QPointer<QLabel> m_titleLabel;
    QPointer<QLabel> m_pathLabel;
    QPointer<QWidget> m_progressBlowView;
    QPointer<QWidget> m_successBlowView;
    QPointer<QWidget> m_failBlowView;
    QPointer<QWidget> m_makeSureView;
    QPointer<QLabel> m_cancelNodeLabel;
    QPointer<QLabel> m_shredNodeLabel;
    QPointer<QLabel> m_eraserType;

private:
    void awakeFromNib();
    void addMakeSureView();
    void addProGressBlowView();
    void addOkButton();
};
