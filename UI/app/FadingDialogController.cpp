#include "FadingDialogController.h"

#include "ApplicationModal.h"
#include "VQLinkUrl.h"
#include "platform/Workspace.h"

FadingDialogController::FadingDialogController(QObject *parent) : FadingWindowController(parent) {}

FadingDialogController::~FadingDialogController() = default;

TCImageWindow *FadingDialogController::loadWindow()
{
    if (!m_aWindow) {
        m_aWindow = std::make_unique<TCImageWindow>(contentSize());
        setWindow(m_aWindow.get());
        awakeFromNib();
        windowDidLoad();
    }
    return m_aWindow.get();
}

void FadingDialogController::stopModalAndClose()
{
    ApplicationModal::stopModal();
    stopFade();
    if (m_aWindow)
        m_aWindow->close();
}

void FadingDialogController::openLink(const QString &linkKey)
{
    const QString address = VQLinkUrl::GetUrl(linkKey);
    if (address.isEmpty())
        return;
    Workspace::sharedWorkspace().openURL(address);
}
