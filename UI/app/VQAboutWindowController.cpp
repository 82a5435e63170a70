#include "VQAboutWindowController.h"

#include "ApplicationModal.h"
#include "DialogLayout.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQHandButton.h"
#include "VQPublicUtilities.h"

#include <QLabel>

namespace {

constexpr int kWidth = 400;
constexpr int kContentHeight = 236;

QString productName()
{
    const QString name = VQPublicUtilities::getProductName();
    return name.isEmpty() ? QStringLiteral("Ostrivan Nullwell") : name;
}

} // namespace

VQAboutWindowController::VQAboutWindowController(QObject *parent) : FadingDialogController(parent) {}

VQAboutWindowController::~VQAboutWindowController() = default;

QSize VQAboutWindowController::contentSize() const
{
    return QSize(kWidth, kContentHeight);
}

QString VQAboutWindowController::versionText()
{
    const std::optional<QVariantMap> settings = VQPublicUtilities::readStringMessage();
    if (!settings)
        return QString();
    const QString version = settings->value(QStringLiteral("INSTALL_VERSION")).toString();
    if (!version.isEmpty())
        return QStringLiteral("Version %1").arg(version);
    const QString build = settings->value(QStringLiteral("VersionCheck")).toString();
    if (!build.isEmpty())
        return QStringLiteral("Build %1").arg(build);
    return QString();
}

void VQAboutWindowController::windowDidLoad()
{
    TCImageWindow *window = m_aWindow.get();
    m_titleBarView = window->titleBarView();
    window->setMovableByWindowBackground(true);
    DialogLayout::setContentHeight(window, kContentHeight);
    TitleBarDressing::addImage(window, QRectF(0, 0, kWidth, 22), QStringLiteral("bg_title_bar"));
    if (TCWindowButton *close = window->standardWindowButton(TCImageWindow::CloseButton))
        close->setAction([this] { closeWindow(); });

    QWidget *content = DialogLayout::makeContentView(window, kContentHeight);
    m_titleImage = DialogLayout::addImage(content, QRectF((kWidth - 72) / 2.0, 142, 72, 72), theme::kAboutLogoImage);
    m_titleLabel = DialogLayout::addText(content, QRectF(20, 106, kWidth - 40, 28), productName(),
                                         theme::helveticaLight(20), theme::dialogBodyText(), Qt::AlignCenter);
    m_versionLabel = DialogLayout::addText(content, QRectF(20, 84, kWidth - 40, 18), versionText(),
                                           theme::helveticaLight(12), theme::dialogSecondaryText(), Qt::AlignCenter);
    m_aboutlink = DialogLayout::addLink(content, QRectF(100, 52, kWidth - 200, 20),
                                        QStringLiteral("Visit the Ostrivan Nullwell website"), Qt::AlignHCenter);
    connect(m_aboutlink, &QAbstractButton::clicked, this, [this] { linkButtonAction(); });
    DialogLayout::addText(content, QRectF(20, 16, kWidth - 40, 18),
                          QStringLiteral("Copyright \u00A9 Ostrivan. All rights reserved."), theme::helveticaLight(11),
                          theme::dialogSecondaryText(), Qt::AlignCenter);
    // Escape closes it as its close button does.
    window->makeDialogChrome();
}

void VQAboutWindowController::runModal()
{
    TCImageWindow *window = loadWindow();
    DialogLayout::center(window);
    ApplicationModal::runModalForWindow(window);
}

void VQAboutWindowController::closeWindow()
{
    stopModalAndClose();
}

void VQAboutWindowController::linkButtonAction()
{
    openLink(QStringLiteral("AboutURL"));
}
