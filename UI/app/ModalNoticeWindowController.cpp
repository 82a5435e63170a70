#include "ModalNoticeWindowController.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "WindowPaneBuilder.h"

#include <QLabel>

ModalNoticeWindowController::ModalNoticeWindowController(const Look &look, QObject *parent)
    : QObject(parent)
    , m_width(look.width)
{
    using B = WindowPaneBuilder;
    // A notice only closes; it neither shrinks into the panel nor grows.
    m_window.reset(B::makeDialogWindow(QSize(look.width, theme::kNoticeHeight), false));
    QWidget *content = m_window->contentView();
    B::makeImage(content, QRectF(24, 70, 48, 48), look.imageName);
    m_messageLabel = B::makeLabel(content, QRectF(88, 66, look.width - 108, 56), look.message,
                                  theme::helveticaLight(theme::kPaneMessageSize + 1), theme::paneHeadlineColor(),
                                  Qt::AlignLeft | Qt::AlignVCenter, true);
    m_okButton = new CustemImageButton(QRectF(look.width - 125, 20, 105, 32), content);
}

ModalNoticeWindowController::~ModalNoticeWindowController() = default;

void ModalNoticeWindowController::dressTitleBar(const char *barImage, const QColor &titleColor)
{
    m_aWindow = m_window.get();
    m_titleBarView = m_aWindow->titleBarView();
    m_aWindow->setTitleBarHeight(theme::kDialogTitleBarHeight);
    if (barImage)
        TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, m_width, 22), QString::fromLatin1(barImage));
    if (!m_titleLabel)
        m_titleLabel = TitleBarDressing::addTitle(m_aWindow, QRectF(0, 2, m_width, 17),
                                                  QStringLiteral("Ostrivan Nullwell"), titleColor);
}

void ModalNoticeWindowController::setUpOkButton(qreal fontSize, std::function<void()> action)
{
    m_okButton->setButtonEnabled(true);
    m_okButton->setTextWithName(tr("OK"), theme::helveticaLight(fontSize), 0, QStringLiteral("add"));
    m_okButton->setDelegate(this);
    m_okButton->setButtonAction(std::move(action));
    m_okButton->setKeyEquivalents(CustemImageButton::ReturnKey | CustemImageButton::EscapeKey);
}

void ModalNoticeWindowController::setCloseAction(std::function<void()> action)
{
    m_window->standardWindowButton(TCImageWindow::CloseButton)->setAction(std::move(action));
}

void ModalNoticeWindowController::stopModalAndClose()
{
    ApplicationModal::stopModal();
    m_window->close();
}

void ModalNoticeWindowController::runModal()
{
    WindowPaneBuilder::center(m_window.get());
    ApplicationModal::runModalForWindow(m_window.get());
}
