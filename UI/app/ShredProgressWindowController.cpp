#include "ShredProgressWindowController.h"

#include "ApplicationModal.h"
#include "ShredProgressWindowControllerDelegate.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "WindowPaneBuilder.h"

namespace {

RunProgressWindowController::Look eraseLook()
{
    RunProgressWindowController::Look look;
    look.titleColor = theme::dialogTitleColor();
    look.buttonY = 30;
    look.buttonHeight = 32;
    look.cancelFrame = QRectF(220, 30, 105, 32);
    look.cancelColorType = 2;
    look.yesCaption = QObject::tr("Erase Now");
    look.yesIdentifier = QStringLiteral("EraseNow");
    look.barWidth = 420;
    // The bar shows a little progress while the run is being set up.
    look.barStart = 10.0f;
    look.methodY = 96;
    look.workingText = QObject::tr("Erasing, please wait...");
    return look;
}

} // namespace

ShredProgressWindowController::ShredProgressWindowController(QObject *parent)
    : RunProgressWindowController(eraseLook(), parent)
{
    load();
}

void ShredProgressWindowController::loadPanes()
{
    using B = WindowPaneBuilder;
    const QFont headline = theme::helveticaLight(theme::kPaneHeadlineSize);
    const QFont message = theme::helveticaLight(theme::kPaneMessageSize);
    const Qt::Alignment topLeft = Qt::AlignLeft | Qt::AlignTop;

    B::makeImage(m_makeSureView, QRectF(24, 142, 48, 48), theme::kConfirmImage);
    B::makeLabel(m_makeSureView, QRectF(88, 160, 352, 44), tr("Permanently erase the selected items?"), headline,
                 theme::paneHeadlineColor(), Qt::AlignLeft | Qt::AlignVCenter, true);
    B::makeLabel(m_makeSureView, QRectF(88, 124, 352, 36), tr("Erased items cannot be recovered by any means."),
                 message, theme::paneMessageColor(), topLeft, true);

    B::makeImage(m_successBlowView, QRectF(24, 142, 48, 48), theme::kSuccessImage);
    B::makeLabel(m_successBlowView, QRectF(88, 164, 352, 24), tr("Erase completed"), headline,
                 theme::paneHeadlineColor());
    B::makeLabel(m_successBlowView, QRectF(88, 110, 352, 50),
                 tr("The selected items have been permanently erased and can no longer be recovered."), message,
                 theme::paneMessageColor(), topLeft, true);

    B::makeImage(m_failBlowView, QRectF(24, 142, 48, 48), theme::kFailureImage);
    B::makeLabel(m_failBlowView, QRectF(88, 164, 352, 24), tr("Erase not completed"), headline,
                 theme::paneHeadlineColor());
    m_failedNodeLable = B::makeLabel(m_failBlowView, QRectF(88, 110, 352, 50),
                                     tr("Some items could not be erased. The log lists them."), message,
                                     theme::paneMessageColor(), topLeft, true);

    // The log of the run is reachable from both result panes.
    const auto viewLog = [this] { viewLogButtonAction(); };
    m_successViewLogButton = B::makeTextButton(m_successBlowView, QRectF(220, 30, 105, 32), tr("View Log"),
                                               theme::kDialogButtonFontSize, 2, QStringLiteral("add"), this, viewLog);
    m_failViewLogButton = B::makeTextButton(m_failBlowView, QRectF(220, 30, 105, 32), tr("View Log"),
                                            theme::kDialogButtonFontSize, 2, QStringLiteral("add"), this, viewLog);
}

void ShredProgressWindowController::beginToDelete()
{
    showProgressView();
    doDeleteButtonClick();
}

void ShredProgressWindowController::doDeleteButtonClick()
{
    if (m_delegate)
        m_delegate->doDeleteButtonClick();
}

void ShredProgressWindowController::stopButtonAction()
{
    showCancelling();
    if (m_delegate)
        m_delegate->cancelShred();
}

void ShredProgressWindowController::okButtonAction()
{
    ApplicationModal::stopModal();
    m_window->close();
}

void ShredProgressWindowController::viewLogButtonAction()
{
    okButtonAction();
    if (m_delegate)
        m_delegate->viewLog();
}

void ShredProgressWindowController::showSeccView()
{
    showResultPane(true);
}

void ShredProgressWindowController::showFailView()
{
    showResultPane(false);
}

void ShredProgressWindowController::changeProgressValue(int percent, const QString &path)
{
    m_progressView->changeProgressValue(float(percent));
    m_pathText = path;
    // A long path keeps its start and its file name; the whole path is in the tooltip.
    m_pathLabel->setText(m_pathLabel->fontMetrics().elidedText(path, Qt::ElideMiddle, m_pathLabel->width()));
    m_pathLabel->setToolTip(path);
    m_progressView->update();
    m_pathLabel->update();
}
