#include "EraseAndFreeSpaceProWC.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "EraseAndFreeSpaceProWCDelegate.h"
#include "KitGeometry.h"
#include "LoadProgressIndicator.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQProgressView.h"
#include "VQPublicUtilities.h"
#include "WindowPaneBuilder.h"

#include <QLabel>

namespace {

const QString kProductTitle = QStringLiteral("Ostrivan Nullwell");

QString questionFor(int selectType)
{
    if (selectType == EraseAndFreeSpaceProWC::kFreeSpace)
        return QStringLiteral("Wipe the free disk space of selected hard drive/device to permanently erase "
                              "deleted/lost data and traces. Do you want to continue?");
    return QStringLiteral("All the existing data and history data on the selected hard drive/device will be "
                          "permanently erased. Do you want to continue?");
}

} // namespace

EraseAndFreeSpaceProWC::EraseAndFreeSpaceProWC(QObject *parent)
    : QObject(parent)
{
    loadWindow();
    awakeFromNib();
}

EraseAndFreeSpaceProWC::~EraseAndFreeSpaceProWC() = default;

void EraseAndFreeSpaceProWC::loadWindow()
{
    using B = WindowPaneBuilder;
    m_window.reset(B::makeDialogWindow(QSize(theme::kProgressWindowWidth, theme::kProgressWindowHeight)));
    QWidget *content = m_window->contentView();
    const QFont headline = theme::helveticaLight(theme::kPaneHeadlineSize);
    const QFont message = theme::helveticaLight(theme::kPaneMessageSize);

    m_makeSureView = B::makePane(content);
    B::makeImage(m_makeSureView, QRectF(24, 152, 48, 48), theme::kConfirmImage);
    m_makeSureNodeLabel = new QWidget(m_makeSureView);
    kit::setBottomLeftFrame(m_makeSureNodeLabel, QRectF(88, 110, 352, 94));
    m_nodeMessageLable = B::makeLabel(m_makeSureNodeLabel, QRectF(0, 0, 352, 94), questionFor(m_selectType),
                                      theme::helveticaLight(14), theme::paneHeadlineColor(),
                                      Qt::AlignLeft | Qt::AlignTop, true);
    B::makeLabel(m_makeSureView, QRectF(88, 84, 100, 20), tr("Erasure method:"), message, theme::paneMessageColor());
    m_eraserType = B::makeLabel(m_makeSureView, QRectF(190, 84, 250, 20), QString(), message,
                                theme::paneHeadlineColor());

    m_progressBlowView = B::makePane(content);
    m_shredNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), tr("Wiping, please wait..."),
                                    headline, theme::paneHeadlineColor());
    m_cancelNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), tr("Stopping, please wait..."),
                                     headline, theme::paneHeadlineColor());
    m_loadProgressInd = new LoadProgressIndicator(m_progressBlowView);
    kit::setBottomLeftFrame(m_loadProgressInd, QRectF(20, 134, 18, 18));
    m_loadProgressInd->hide();
    m_pathLabel = B::makeLabel(m_progressBlowView, QRectF(46, 133, 394, 20), QString(),
                               theme::helveticaLight(theme::kPanePathSize), theme::panePathColor());

    m_successBlowView = B::makePane(content);
    B::makeImage(m_successBlowView, QRectF(24, 152, 48, 48), theme::kSuccessImage);
    m_SuccessfulTitleLable = B::makeLabel(m_successBlowView, QRectF(88, 174, 352, 24), tr("Wipe completed"), headline,
                                          theme::paneHeadlineColor());
    m_successfulMessageLable = B::makeLabel(m_successBlowView, QRectF(88, 110, 352, 60), QString(), message,
                                            theme::paneMessageColor(), Qt::AlignLeft | Qt::AlignTop, true);

    m_failBlowView = B::makePane(content);
    B::makeImage(m_failBlowView, QRectF(24, 152, 48, 48), theme::kFailureImage);
    m_failTitleLable = B::makeLabel(m_failBlowView, QRectF(88, 174, 352, 24), tr("Wipe not completed"), headline,
                                    theme::paneHeadlineColor());
    m_failMessageLable = B::makeLabel(m_failBlowView, QRectF(88, 110, 352, 60), QString(), message,
                                      theme::paneMessageColor(), Qt::AlignLeft | Qt::AlignTop, true);

    m_progressBlowView->hide();
    m_successBlowView->hide();
    m_failBlowView->hide();
}

void EraseAndFreeSpaceProWC::awakeFromNib()
{
    m_aWindow = m_window.get();
    m_aWindow->setTitleBarHeight(theme::kDialogTitleBarHeight);
    m_eraserType->setText(VQPublicUtilities::getEraserTimes());
    TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, theme::kProgressWindowWidth, 22), theme::kDialogTitleBarImage);
    m_titleLabel = TitleBarDressing::addTitle(m_aWindow, QRectF(0, 2, theme::kProgressWindowWidth, 17), kProductTitle,
                                              theme::dialogGreyTitleColor());
    addMakeSureView();
    addProGressBlowView();
    addOkButton();
}

void EraseAndFreeSpaceProWC::addMakeSureView()
{
    m_cancelButton = WindowPaneBuilder::makeTextButton(m_makeSureView, QRectF(235, 40, 90, 28), tr("Cancel"),
                                                       theme::kDialogButtonFontSize, 1, QStringLiteral("add"), this,
                                                       [this] { cancelButtonAction(); });
    m_yesButton = WindowPaneBuilder::makeTextButton(m_makeSureView, QRectF(335, 40, 105, 28), tr("Continue"),
                                                    theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this,
                                                    [this] { beginToEraser(); });
}

void EraseAndFreeSpaceProWC::addProGressBlowView()
{
    m_progressView = new VQProgressView(QRectF(20, 165, 450, 6), m_progressBlowView);
    m_progressView->changeProgressValue(0.0f);
    m_progressView->setFocusPolicy(Qt::NoFocus);
    m_cancelNodeLabel->hide();
    m_shredNodeLabel->show();
    m_pathLabel->show();
    m_stopButton = WindowPaneBuilder::makeTextButton(m_progressBlowView, QRectF(335, 40, 105, 28), tr("Stop"),
                                                     theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this,
                                                     [this] { stopButtonAction(); });
}

void EraseAndFreeSpaceProWC::addOkButton()
{
    const auto ok = [this] { okButtonAction(); };
    m_successOkButton = WindowPaneBuilder::makeTextButton(m_successBlowView, QRectF(335, 40, 105, 28), tr("OK"),
                                                          theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this,
                                                          ok);
    m_FailOkButton = WindowPaneBuilder::makeTextButton(m_failBlowView, QRectF(335, 40, 105, 28), tr("OK"),
                                                       theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this, ok);
}

void EraseAndFreeSpaceProWC::runModal()
{
    WindowPaneBuilder::center(m_window.get());
    ApplicationModal::runModalForWindow(m_window.get());
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

void EraseAndFreeSpaceProWC::cancelButtonAction()
{
    okButtonAction();
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
    m_shredNodeLabel->hide();
    m_pathLabel->hide();
    m_cancelNodeLabel->show();
    m_stopButton->setButtonEnabled(false);
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
    m_titleLabel->setText(kProductTitle);
    m_makeSureView->hide();
    m_progressBlowView->show();
    m_successBlowView->hide();
    m_failBlowView->hide();
}

void EraseAndFreeSpaceProWC::showSeccView()
{
    m_titleLabel->setText(kProductTitle);
    m_progressBlowView->hide();
    m_successBlowView->show();
    m_failBlowView->hide();
    m_successfulMessageLable->setText(
        m_selectType == kFreeSpace
            ? QStringLiteral("You have successfully wiped free disk space of the selected hard drive/device.")
            : QStringLiteral("You have successfully wiped the selected hard drive/device."));
}

void EraseAndFreeSpaceProWC::showFailViewWithStr(const QString &message)
{
    m_titleLabel->setText(kProductTitle);
    m_progressBlowView->hide();
    m_successBlowView->hide();
    m_failBlowView->show();
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
