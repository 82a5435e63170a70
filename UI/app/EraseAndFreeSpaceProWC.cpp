#include "EraseAndFreeSpaceProWC.h"

#include "ApplicationModal.h"
#include "EraseAndFreeSpaceProWCDelegate.h"
#include "KitGeometry.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "WindowPaneBuilder.h"

namespace {

QString questionFor(int selectType)
{
    if (selectType == EraseAndFreeSpaceProWC::kFreeSpace)
        return QStringLiteral("Wipe the free disk space of selected hard drive/device to permanently erase "
                              "deleted/lost data and traces. Do you want to continue?");
    return QStringLiteral("All the existing data and history data on the selected hard drive/device will be "
                          "permanently erased. Do you want to continue?");
}

RunProgressWindowController::Look wipeLook()
{
    RunProgressWindowController::Look look;
    look.titleColor = theme::dialogGreyTitleColor();
    look.buttonY = 40;
    look.buttonHeight = 28;
    look.cancelFrame = QRectF(235, 40, 90, 28);
    look.cancelColorType = 1;
    look.yesCaption = QObject::tr("Continue");
    look.yesIdentifier = QStringLiteral("add");
    // The bar is measured against the 420-point track it is drawn on: at 450 points wide it would
    // look full at 93 percent and run past the track and the window's edge.
    look.barWidth = 420;
    look.barStart = 0.0f;
    look.methodY = 84;
    look.workingText = QObject::tr("Wiping, please wait...");
    return look;
}

} // namespace

EraseAndFreeSpaceProWC::EraseAndFreeSpaceProWC(QObject *parent)
    : RunProgressWindowController(wipeLook(), parent)
{
    load();
}

void EraseAndFreeSpaceProWC::loadPanes()
{
    using B = WindowPaneBuilder;
    const QFont headline = theme::helveticaLight(theme::kPaneHeadlineSize);
    const QFont message = theme::helveticaLight(theme::kPaneMessageSize);
    const Qt::Alignment topLeft = Qt::AlignLeft | Qt::AlignTop;

    B::makeImage(m_makeSureView, QRectF(24, 152, 48, 48), theme::kConfirmImage);
    m_makeSureNodeLabel = new QWidget(m_makeSureView);
    kit::setBottomLeftFrame(m_makeSureNodeLabel, QRectF(88, 110, 352, 94));
    m_nodeMessageLable = B::makeLabel(m_makeSureNodeLabel, QRectF(0, 0, 352, 94), questionFor(m_selectType),
                                      theme::helveticaLight(14), theme::paneHeadlineColor(), topLeft, true);

    m_loadProgressInd = new LoadProgressIndicator(m_progressBlowView);
    kit::setBottomLeftFrame(m_loadProgressInd, QRectF(422, 185, 18, 18));
    m_loadProgressInd->hide();

    B::makeImage(m_successBlowView, QRectF(24, 152, 48, 48), theme::kSuccessImage);
    m_SuccessfulTitleLable = B::makeLabel(m_successBlowView, QRectF(88, 174, 352, 24), tr("Wipe completed"), headline,
                                          theme::paneHeadlineColor());
    m_successfulMessageLable = B::makeLabel(m_successBlowView, QRectF(88, 110, 352, 60), QString(), message,
                                            theme::paneMessageColor(), topLeft, true);

    B::makeImage(m_failBlowView, QRectF(24, 152, 48, 48), theme::kFailureImage);
    m_failTitleLable = B::makeLabel(m_failBlowView, QRectF(88, 174, 352, 24), tr("Wipe not completed"), headline,
                                    theme::paneHeadlineColor());
    m_failMessageLable = B::makeLabel(m_failBlowView, QRectF(88, 110, 352, 60), QString(), message,
                                      theme::paneMessageColor(), topLeft, true);
}

void EraseAndFreeSpaceProWC::showMessageWithStrWith(int selectType)
{
    m_selectType = selectType;
    m_nodeMessageLable->setText(questionFor(selectType));
}

void EraseAndFreeSpaceProWC::setStopButtonState(bool enabled)
{
    m_stopButton->setButtonEnabled(enabled);
}

void EraseAndFreeSpaceProWC::startSpinner()
{
    m_loadProgressInd->startAnimation();
    m_loadProgressInd->show();
}

void EraseAndFreeSpaceProWC::beginToEraser()
{
    showProgressView();
    startSpinner();
    doDeleteButtonClick();
}

void EraseAndFreeSpaceProWC::doDeleteButtonClick()
{
    if (m_delegate)
        m_delegate->doEraserButtonClick();
}

void EraseAndFreeSpaceProWC::stopButtonAction()
{
    startSpinner();
    showCancelling();
    if (m_delegate)
        m_delegate->cancelEraserButtonAction();
}

void EraseAndFreeSpaceProWC::okButtonAction()
{
    m_window->close();
    ApplicationModal::stopModal();
}

void EraseAndFreeSpaceProWC::showProgressView()
{
    m_titleLabel->setText(QStringLiteral("Ostrivan Nullwell"));
    RunProgressWindowController::showProgressView();
}

void EraseAndFreeSpaceProWC::showSeccView()
{
    m_titleLabel->setText(QStringLiteral("Ostrivan Nullwell"));
    showResultPane(true);
    m_successfulMessageLable->setText(
        m_selectType == kFreeSpace
            ? QStringLiteral("You have successfully wiped free disk space of the selected hard drive/device.")
            : QStringLiteral("You have successfully wiped the selected hard drive/device."));
}

void EraseAndFreeSpaceProWC::showFailViewWithStr(const QString &message)
{
    m_titleLabel->setText(QStringLiteral("Ostrivan Nullwell"));
    showResultPane(false);
    m_failMessageLable->setText(message);
}

void EraseAndFreeSpaceProWC::changeProgressValue(int percent, const QString &nodeText)
{
    m_loadProgressInd->stopAnimation();
    m_loadProgressInd->hide();
    m_pathLabel->setText(nodeText);
    m_progressView->changeProgressValue(float(percent));
    m_pathLabel->update();
    m_progressView->update();
}
