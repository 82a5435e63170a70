#include "NTFSWindowController.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "DialogLayout.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQHandButton.h"
#include "platform/Workspace.h"

#include <QLabel>

namespace {

constexpr int kWidth = 475;
constexpr int kContentHeight = 170;

} // namespace

NTFSWindowController::NTFSWindowController(QObject *parent) : QObject(parent) {}

NTFSWindowController::~NTFSWindowController() = default;

QString NTFSWindowController::supportTeamLinkAddress()
{
    return QStringLiteral("https://www.ostrivan.example/ntfs-eraser/");
}

TCImageWindow *NTFSWindowController::window()
{
    if (!m_aWindow) {
        m_aWindow = std::make_unique<TCImageWindow>(QSize(kWidth, kContentHeight));
        windowDidLoad();
    }
    return m_aWindow.get();
}

void NTFSWindowController::windowDidLoad()
{
    TCImageWindow *window = m_aWindow.get();
    window->setTitleBarHeight(theme::kNoticeTitleBarHeight);
    DialogLayout::setContentHeight(window, kContentHeight);
    DialogLayout::center(window);

    TitleBarDressing::addImage(window, QRectF(0, 0, kWidth, 38), QStringLiteral("bg_title_bar"));
    TitleBarDressing::addImage(window, QRectF(0, 0, kWidth, 1), theme::kTitleBarLineImage);
    m_titleLabel = TitleBarDressing::addTitle(window, QRectF(10, 12, 470, 17), QStringLiteral("Ostrivan Nullwell"),
                                              theme::noticeTitleColor());
    buildContent();

    m_yesButton->setButtonEnabled(true);
    m_yesButton->setTextWithName(QStringLiteral("YES"), theme::helveticaLight(13), 0, QStringLiteral("add"));
    m_yesButton->setDelegate(this);
    m_yesButton->setButtonAction([this] { okButtonAction(); });
    m_yesButton->setKeyEquivalents(CustemImageButton::ReturnKey | CustemImageButton::EscapeKey);
    // The close button answers the notice as YES does: the adding that opened it goes on.
    if (TCWindowButton *close = window->standardWindowButton(TCImageWindow::CloseButton))
        close->setAction([this] { okButtonAction(); });
    window->makeDialogChrome();
}

void NTFSWindowController::buildContent()
{
    QWidget *content = DialogLayout::makeContentView(m_aWindow.get(), kContentHeight);

    DialogLayout::addImage(content, QRectF(28, 86, 56, 56), theme::kNoticeImage);
    DialogLayout::addText(content, QRectF(104, 104, 345, 40),
                          QStringLiteral("Items on NTFS volumes can't be erased here."),
                          theme::helveticaLight(15), theme::dialogBodyText());
    m_explanationLabel = DialogLayout::addText(content, QRectF(104, 66, 345, 38), explanationText(),
                                               theme::helveticaLight(12), theme::dialogSecondaryText());

    m_linkButton = DialogLayout::addLink(content, QRectF(104, 44, 240, 20),
                                         QStringLiteral("Learn more about erasing NTFS files"));
    // Tab reaches the link (Space opens it); the ring shows where the keyboard is.
    m_linkButton->setFocusPolicy(Qt::TabFocus);
    m_linkButton->setStyleSheet(m_linkButton->styleSheet() +
                                QStringLiteral(" QPushButton:focus { border: 1px dotted %1; }")
                                    .arg(theme::dialogLinkText().name()));
    connect(m_linkButton, &QAbstractButton::clicked, this, [this] { supportTeamLinkAction(); });

    m_yesButton = new CustemImageButton(QRectF(kWidth - 20 - 90, 14, 90, 30), content);
    m_yesButton->show();
}

QString NTFSWindowController::explanationText() const
{
    return m_readOnly ? QStringLiteral("This volume is read-only on this computer. Our NTFS eraser can "
                                       "erase files on it for good.")
                      : QStringLiteral("Our NTFS eraser can erase files on this volume for good.");
}

void NTFSWindowController::setVolumeReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (m_explanationLabel)
        m_explanationLabel->setText(explanationText());
}

void NTFSWindowController::showWindow()
{
    window()->show();
    window()->raise();
}

void NTFSWindowController::runModal()
{
    showWindow();
    ApplicationModal::runModalForWindow(window());
}

void NTFSWindowController::okButtonAction()
{
    ApplicationModal::stopModal();
    if (m_aWindow)
        m_aWindow->close();
}

void NTFSWindowController::supportTeamLinkAction()
{
    Workspace::sharedWorkspace().openURL(supportTeamLinkAddress());
}
