#include "SystemEraserWindowController.h"

#include "Theme.h"

SystemEraserWindowController::SystemEraserWindowController(QObject *parent)
    : ModalNoticeWindowController(
          Look{theme::kSystemEraserNoticeWidth, QString::fromLatin1(theme::kConfirmImage),
               tr("The drive the system is running from cannot be wiped. You can wipe its free disk space "
                  "instead.")},
          parent)
{
    windowDidLoad();
}

void SystemEraserWindowController::windowDidLoad()
{
    setCloseAction([this] { closeWindow(); });
    dressTitleBar(theme::kDialogTitleBarImage, theme::dialogGreyTitleColor());
    setUpOkButton(theme::kDialogButtonFontSize, [this] { okButtonAction(); });
}

void SystemEraserWindowController::okButtonAction()
{
    closeWindow();
}

void SystemEraserWindowController::closeWindow()
{
    stopModalAndClose();
}
