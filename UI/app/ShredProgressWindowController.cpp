#include "ShredProgressWindowController.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "ShredProgressWindowControllerDelegate.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQProgressView.h"
#include "WindowPaneBuilder.h"
#include "VQPublicUtilities.h"

#include <QLabel>

namespace {

const QString kProductTitle = QStringLiteral("Ostrivan Nullwell");

} // namespace

ShredProgressWindowController::ShredProgressWindowController(QObject *parent)
    : QObject(parent)
{
    loadWindow();
    awakeFromNib();
}

ShredProgressWindowController::~ShredProgressWindowController() = default;

// The layout the buttons and the bar are added to: four panes, of which only the confirm pane
// shows at first.
void ShredProgressWindowController::loadWindow()
{
    using B = WindowPaneBuilder;
    m_window.reset(B::makeDialogWindow(QSize(theme::kProgressWindowWidth, theme::kProgressWindowHeight)));
    QWidget *content = m_window->contentView();
    const QFont headline = theme::helveticaLight(theme::kPaneHeadlineSize);
    const QFont message = theme::helveticaLight(theme::kPaneMessageSize);

    m_makeSureView = B::makePane(content);
    B::makeImage(m_makeSureView, QRectF(24, 142, 48, 48), theme::kConfirmImage);
    B::makeLabel(m_makeSureView, QRectF(88, 160, 352, 44), tr("Permanently erase the selected items?"), headline,
                 theme::paneHeadlineColor(), Qt::AlignLeft | Qt::AlignVCenter, true);
    B::makeLabel(m_makeSureView, QRectF(88, 124, 352, 36), tr("Erased items cannot be recovered by any means."),
                 message, theme::paneMessageColor(), Qt::AlignLeft | Qt::AlignTop, true);
    B::makeLabel(m_makeSureView, QRectF(88, 96, 100, 20), tr("Erasure method:"), message, theme::paneMessageColor());
    m_eraserType = B::makeLabel(m_makeSureView, QRectF(190, 96, 250, 20), QString(), message,
                                theme::paneHeadlineColor());

    m_progressBlowView = B::makePane(content);
    m_shredNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), tr("Erasing, please wait..."),
                                    headline, theme::paneHeadlineColor());
    m_cancelNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), tr("Stopping, please wait..."),
                                     headline, theme::paneHeadlineColor());
    m_pathLabel = B::makeLabel(m_progressBlowView, QRectF(20, 136, 420, 20), QString(),
                               theme::helveticaLight(theme::kPanePathSize), theme::panePathColor());

    m_successBlowView = B::makePane(content);
    B::makeImage(m_successBlowView, QRectF(24, 142, 48, 48), theme::kSuccessImage);
    B::makeLabel(m_successBlowView, QRectF(88, 164, 352, 24), tr("Erase completed"), headline,
                 theme::paneHeadlineColor());
    B::makeLabel(m_successBlowView, QRectF(88, 110, 352, 50),
                 tr("The selected items have been permanently erased and can no longer be recovered."), message,
                 theme::paneMessageColor(), Qt::AlignLeft | Qt::AlignTop, true);

    m_failBlowView = B::makePane(content);
    B::makeImage(m_failBlowView, QRectF(24, 142, 48, 48), theme::kFailureImage);
    B::makeLabel(m_failBlowView, QRectF(88, 164, 352, 24), tr("Erase not completed"), headline,
                 theme::paneHeadlineColor());
    m_failedNodeLable = B::makeLabel(m_failBlowView, QRectF(88, 110, 352, 50),
                                     tr("Some items could not be erased. The log lists them."), message,
                                     theme::paneMessageColor(), Qt::AlignLeft | Qt::AlignTop, true);

    // The log of the run is reachable from both result panes.
    const auto viewLog = [this] { viewLogButtonAction(); };
    m_successViewLogButton = B::makeTextButton(m_successBlowView, QRectF(220, 30, 105, 32), tr("View Log"),
                                               theme::kDialogButtonFontSize, 2, QStringLiteral("add"), this, viewLog);
    m_failViewLogButton = B::makeTextButton(m_failBlowView, QRectF(220, 30, 105, 32), tr("View Log"),
                                            theme::kDialogButtonFontSize, 2, QStringLiteral("add"), this, viewLog);

    m_progressBlowView->hide();
    m_successBlowView->hide();
    m_failBlowView->hide();
}

void ShredProgressWindowController::awakeFromNib()
{
    m_aWindow = m_window.get();
    m_aWindow->setTitleBarHeight(theme::kDialogTitleBarHeight);
    m_eraserType->setText(VQPublicUtilities::getEraserTimes());
    TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, theme::kProgressWindowWidth, 22), theme::kDialogTitleBarImage);
    m_titleLabel = TitleBarDressing::addTitle(m_aWindow, QRectF(0, 2, theme::kProgressWindowWidth, 17), kProductTitle,
                                              theme::dialogTitleColor());
    addMakeSureView();
    addProGressBlowView();
    addOkButton();
}

void ShredProgressWindowController::addMakeSureView()
{
    m_cancelButton = WindowPaneBuilder::makeTextButton(m_makeSureView, QRectF(220, 30, 105, 32), tr("Cancel"),
                                                       theme::kDialogButtonFontSize, 2, QStringLiteral("add"), this,
                                                       [this] { cancelButtonAction(); });
    m_yesButton = WindowPaneBuilder::makeTextButton(m_makeSureView, QRectF(335, 30, 105, 32), tr("Erase Now"),
                                                    theme::kDialogButtonFontSize, 0, QStringLiteral("EraseNow"), this,
                                                    [this] { beginToDelete(); });
}

void ShredProgressWindowController::addProGressBlowView()
{
    m_progressView = new VQProgressView(QRectF(20, 165, 420, 6), m_progressBlowView);
    m_progressView->changeProgressValue(10.0f);
    m_progressView->setFocusPolicy(Qt::NoFocus);
    m_cancelNodeLabel->hide();
    m_shredNodeLabel->show();
    m_pathLabel->show();
    m_stopButton = WindowPaneBuilder::makeTextButton(m_progressBlowView, QRectF(335, 30, 105, 32), tr("Stop"),
                                                     theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this,
                                                     [this] { stopButtonAction(); });
}

void ShredProgressWindowController::addOkButton()
{
    const auto ok = [this] { okButtonAction(); };
    m_successOkButton = WindowPaneBuilder::makeTextButton(m_successBlowView, QRectF(335, 30, 105, 32), tr("OK"),
                                                          theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this,
                                                          ok);
    m_FailOkButton = WindowPaneBuilder::makeTextButton(m_failBlowView, QRectF(335, 30, 105, 32), tr("OK"),
                                                       theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this, ok);
}

void ShredProgressWindowController::runModal()
{
    WindowPaneBuilder::center(m_window.get());
    ApplicationModal::runModalForWindow(m_window.get());
}

void ShredProgressWindowController::cancelButtonAction()
{
    okButtonAction();
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
    m_shredNodeLabel->hide();
    m_pathLabel->hide();
    m_cancelNodeLabel->show();
    m_stopButton->setButtonEnabled(false);
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

void ShredProgressWindowController::showProgressView()
{
    m_makeSureView->hide();
    m_progressBlowView->show();
    m_successBlowView->hide();
    m_failBlowView->hide();
}

void ShredProgressWindowController::showSeccView()
{
    m_progressBlowView->hide();
    m_successBlowView->show();
    m_failBlowView->hide();
}

void ShredProgressWindowController::showFailView()
{
    m_progressBlowView->hide();
    m_successBlowView->hide();
    m_failBlowView->show();
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
