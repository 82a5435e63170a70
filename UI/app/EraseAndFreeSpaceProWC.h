#pragma once

#include "CustemImageButton.h"
#include "LoadProgressIndicator.h"
#include "VQProgressView.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class EraseAndFreeSpaceProWCDelegate;
class QWidget;
class TCImageWindow;

// The modal window of one wipe of a whole drive or of a drive's free space: a confirm pane whose
// question depends on the kind of wipe, a progress pane with a spinner until the first report,
// and a success or failure pane. The wiping itself is the delegate's.
class EraseAndFreeSpaceProWC : public QObject
{
    Q_OBJECT

public:
    // Kinds of wipe for showMessageWithStrWith(): 0 is the free space, anything else the drive.
    static constexpr int kFreeSpace = 0;
    static constexpr int kWholeDrive = 1;

    explicit EraseAndFreeSpaceProWC(QObject *parent = nullptr);
    ~EraseAndFreeSpaceProWC() override;

    TCImageWindow *window() const { return m_window.get(); }
    // Not owned: the opener outlives the window it runs.
    EraseAndFreeSpaceProWCDelegate *delegate() const { return m_delegate; }
    void setDelegate(EraseAndFreeSpaceProWCDelegate *delegate) { m_delegate = delegate; }

    // Centres the window and runs it modally; returns when one of its buttons has ended the loop.
    void runModal();

    // Chooses the kind of wipe and the confirm question that goes with it.
    void showMessageWithStrWith(int selectType);
    int selectType() const { return m_selectType; }
    void setStopButtonState(bool enabled);
    void changeProgressValue(int percent, const QString &nodeText);
    void showProgressView();
    void showSeccView();
    void showFailViewWithStr(const QString &message);

    // ---- Button actions ----
    void cancelButtonAction();
    void beginToEraser();
    void doDeleteButtonClick();
    void stopButtonAction();
    void okButtonAction();

    // ---- Views ----
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
    QLabel *successfulTitleLable() const { return m_SuccessfulTitleLable; }
    QLabel *successfulMessageLable() const { return m_successfulMessageLable; }
    QWidget *makeSureNodeLabel() const { return m_makeSureNodeLabel; }
    QLabel *failTitleLable() const { return m_failTitleLable; }
    QLabel *failMessageLable() const { return m_failMessageLable; }
    QLabel *nodeMessageLable() const { return m_nodeMessageLable; }
    QLabel *eraserType() const { return m_eraserType; }
    LoadProgressIndicator *loadProgressInd() const { return m_loadProgressInd; }

private:
    void loadWindow();
    void awakeFromNib();
    void addMakeSureView();
    void addProGressBlowView();
    void addOkButton();
    void startSpinner();

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
    QPointer<QLabel> m_SuccessfulTitleLable;
    QPointer<QLabel> m_successfulMessageLable;
    QPointer<QWidget> m_makeSureNodeLabel;
    QPointer<QLabel> m_failTitleLable;
    QPointer<QLabel> m_failMessageLable;
    QPointer<QLabel> m_nodeMessageLable;
    QPointer<QLabel> m_eraserType;
    QPointer<LoadProgressIndicator> m_loadProgressInd;
    int m_selectType = 0;
    EraseAndFreeSpaceProWCDelegate *m_delegate = nullptr;
};
