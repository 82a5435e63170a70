#include "FreeSucceeWindowController.h"

#include "TCImageWindow.h"
#include "Theme.h"
#include "WindowPaneBuilder.h"

FreeSucceeWindowController::FreeSucceeWindowController(QObject *parent)
    : ModalNoticeWindowController(
          Look{theme::kFreeSpaceNoticeWidth, QString::fromLatin1(theme::kSuccessImage),
               tr("The free disk space of the selected hard drive/device has been wiped. Deleted data on it can "
                  "no longer be recovered.")},
          parent)
{
    windowDidLoad();
}

void FreeSucceeWindowController::windowDidLoad()
{
    setCloseAction([this] { okButtonAction(); });
    WindowPaneBuilder::center(window());
    dressTitleBar(nullptr, theme::dialogTitleColor());
    setUpOkButton(theme::kNoticeOkFontSize, [this] { okButtonAction(); });
}

void FreeSucceeWindowController::okButtonAction()
{
    stopModalAndClose();
}
