#include "RunProgressWindowController.h"

#include "ApplicationModal.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQPublicUtilities.h"
#include "WindowPaneBuilder.h"

#include <QPointer>
#include <QTimer>

RunProgressWindowController::RunProgressWindowController(const Look &look, QObject *parent)
    : QObject(parent)
    , m_look(look)
{
}

RunProgressWindowController::~RunProgressWindowController() = default;

void RunProgressWindowController::load()
{
    using B = WindowPaneBuilder;
    m_window.reset(B::makeDialogWindow(QSize(theme::kProgressWindowWidth, theme::kProgressWindowHeight)));
    QWidget *content = m_window->contentView();
    const QFont headline = theme::helveticaLight(theme::kPaneHeadlineSize);
    const QFont message = theme::helveticaLight(theme::kPaneMessageSize);

    m_makeSureView = B::makePane(content);
    m_progressBlowView = B::makePane(content);
    m_successBlowView = B::makePane(content);
    m_failBlowView = B::makePane(content);
    m_eraserType = B::makeLabel(m_makeSureView, QRectF(190, m_look.methodY, 250, 20),
                                QString(), message, theme::paneHeadlineColor());
    B::makeLabel(m_makeSureView, QRectF(88, m_look.methodY, 100, 20), tr("Erasure method:"),
                 message, theme::paneMessageColor());
    m_shredNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), m_look.workingText, headline,
                                    theme::paneHeadlineColor());
    m_cancelNodeLabel = B::makeLabel(m_progressBlowView, QRectF(20, 182, 420, 24), tr("Stopping, please wait..."),
                                     headline, theme::paneHeadlineColor());
    m_pathLabel = B::makeLabel(m_progressBlowView, QRectF(20, 134, 420, 20), QString(),
                               theme::helveticaLight(theme::kPanePathSize), theme::panePathColor());
    loadPanes();
    m_progressBlowView->hide();
    m_successBlowView->hide();
    m_failBlowView->hide();
    awakeFromNib();
    m_window->setDelegate(this);
}

bool RunProgressWindowController::windowShouldClose(TCImageWindow *)
{
    CustemImageButton *button = nullptr;
    if (!m_makeSureView->isHidden())
        button = m_cancelButton;
    else if (!m_progressBlowView->isHidden())
        button = m_stopButton;
    else if (!m_successBlowView->isHidden())
        button = m_successOkButton;
    else if (!m_failBlowView->isHidden())
        button = m_FailOkButton;
    // Pressed later: the window cannot close from inside its own close request. A Stop already
    // pressed is disabled and does nothing: the window waits for the run's end.
    QPointer<CustemImageButton> pressed(button);
    QTimer::singleShot(0, this, [pressed] {
        if (pressed)
            pressed->performClick();
    });
    return false;
}

void RunProgressWindowController::awakeFromNib()
{
    m_aWindow = m_window.get();
    m_aWindow->setTitleBarHeight(theme::kDialogTitleBarHeight);
    m_eraserType->setText(VQPublicUtilities::getEraserTimes());
    TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, theme::kProgressWindowWidth, 22), theme::kDialogTitleBarImage);
    m_titleLabel = TitleBarDressing::addTitle(m_aWindow, QRectF(0, 2, theme::kProgressWindowWidth, 17),
                                              QStringLiteral("Ostrivan Nullwell"), m_look.titleColor);
    addMakeSureView();
    addProGressBlowView();
    addOkButton();
}

void RunProgressWindowController::addMakeSureView()
{
    const QString add = QStringLiteral("add");
    m_cancelButton = WindowPaneBuilder::makeTextButton(m_makeSureView, m_look.cancelFrame, tr("Cancel"),
                                                       theme::kDialogButtonFontSize, m_look.cancelColorType, add, this,
                                                       [this] { cancelButtonAction(); });
    m_yesButton = WindowPaneBuilder::makeTextButton(
        m_makeSureView, QRectF(335, m_look.buttonY, 105, m_look.buttonHeight), m_look.yesCaption,
        theme::kDialogButtonFontSize, 0, m_look.yesIdentifier, this, [this] { yesButtonAction(); });
    m_cancelButton->setKeyEquivalents(CustemImageButton::EscapeKey);
    m_yesButton->setKeyEquivalents(CustemImageButton::ReturnKey);
}

void RunProgressWindowController::addProGressBlowView()
{
    m_progressView = new VQProgressView(QRectF(20, 165, m_look.barWidth, 6), m_progressBlowView);
    m_progressView->changeProgressValue(m_look.barStart);
    m_progressView->setFocusPolicy(Qt::NoFocus);
    m_cancelNodeLabel->hide();
    m_shredNodeLabel->show();
    m_pathLabel->show();
    m_stopButton = WindowPaneBuilder::makeTextButton(
        m_progressBlowView, QRectF(335, m_look.buttonY, 105, m_look.buttonHeight), tr("Stop"),
        theme::kDialogButtonFontSize, 0, QStringLiteral("add"), this, [this] { stopButtonAction(); });
    // Escape stops a run; nothing on the keyboard starts or confirms anything while it goes on.
    m_stopButton->setKeyEquivalents(CustemImageButton::EscapeKey);
}

void RunProgressWindowController::addOkButton()
{
    const QRectF frame(335, m_look.buttonY, 105, m_look.buttonHeight);
    const auto ok = [this] { okButtonAction(); };
    const QString add = QStringLiteral("add");
    m_successOkButton = WindowPaneBuilder::makeTextButton(m_successBlowView, frame, tr("OK"),
                                                          theme::kDialogButtonFontSize, 0, add, this, ok);
    m_FailOkButton = WindowPaneBuilder::makeTextButton(m_failBlowView, frame, tr("OK"), theme::kDialogButtonFontSize,
                                                       0, add, this, ok);
    for (CustemImageButton *button : {m_successOkButton.data(), m_FailOkButton.data()})
        button->setKeyEquivalents(CustemImageButton::ReturnKey | CustemImageButton::EscapeKey);
}

void RunProgressWindowController::runModal()
{
    WindowPaneBuilder::center(m_window.get());
    ApplicationModal::runModalForWindow(m_window.get());
}

void RunProgressWindowController::cancelButtonAction()
{
    okButtonAction();
}

void RunProgressWindowController::showProgressView()
{
    m_makeSureView->hide();
    m_progressBlowView->show();
    m_successBlowView->hide();
    m_failBlowView->hide();
}

void RunProgressWindowController::showResultPane(bool success)
{
    m_progressBlowView->hide();
    m_successBlowView->setVisible(success);
    m_failBlowView->setVisible(!success);
}

void RunProgressWindowController::showCancelling()
{
    m_shredNodeLabel->hide();
    m_pathLabel->hide();
    m_cancelNodeLabel->show();
    m_stopButton->setButtonEnabled(false);
}
