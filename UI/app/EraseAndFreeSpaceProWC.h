#pragma once

#include "LoadProgressIndicator.h"
#include "RunProgressWindowController.h"

class EraseAndFreeSpaceProWCDelegate;

// The modal window of one wipe of a whole drive or of a drive's free space: a confirm pane whose
// question depends on the kind of wipe, a progress pane with a spinner until the first report,
// and a success or failure pane. The wiping itself is the delegate's.
class EraseAndFreeSpaceProWC : public RunProgressWindowController
{
    Q_OBJECT

public:
    // Kinds of wipe for showMessageWithStrWith(): 0 is the free space, anything else the drive.
    static constexpr int kFreeSpace = 0;
    static constexpr int kWholeDrive = 1;

    explicit EraseAndFreeSpaceProWC(QObject *parent = nullptr);

    // Not owned: the opener outlives the window it runs.
    EraseAndFreeSpaceProWCDelegate *delegate() const { return m_delegate; }
    void setDelegate(EraseAndFreeSpaceProWCDelegate *delegate) { m_delegate = delegate; }

    // Chooses the kind of wipe and the confirm question that goes with it.
    void showMessageWithStrWith(int selectType);
    int selectType() const { return m_selectType; }
    void setStopButtonState(bool enabled);
    void changeProgressValue(int percent, const QString &nodeText);
    void showProgressView();
    void showSeccView();
    void showFailViewWithStr(const QString &message);

    // ---- Button actions ----
    void beginToEraser();
    void doDeleteButtonClick();
    void stopButtonAction() override;
    void okButtonAction() override;

    QLabel *successfulTitleLable() const { return m_SuccessfulTitleLable; }
    QLabel *successfulMessageLable() const { return m_successfulMessageLable; }
    QWidget *makeSureNodeLabel() const { return m_makeSureNodeLabel; }
    QLabel *failTitleLable() const { return m_failTitleLable; }
    QLabel *failMessageLable() const { return m_failMessageLable; }
    QLabel *nodeMessageLable() const { return m_nodeMessageLable; }
    LoadProgressIndicator *loadProgressInd() const { return m_loadProgressInd; }

protected:
    void loadPanes() override;
    void yesButtonAction() override { beginToEraser(); }

private:
    void startSpinner();

    QPointer<QLabel> m_SuccessfulTitleLable;
    QPointer<QLabel> m_successfulMessageLable;
    QPointer<QWidget> m_makeSureNodeLabel;
    QPointer<QLabel> m_failTitleLable;
    QPointer<QLabel> m_failMessageLable;
    QPointer<QLabel> m_nodeMessageLable;
    QPointer<LoadProgressIndicator> m_loadProgressInd;
    int m_selectType = 0;
    EraseAndFreeSpaceProWCDelegate *m_delegate = nullptr;
};
