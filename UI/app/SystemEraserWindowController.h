#pragma once

#include "ModalNoticeWindowController.h"

// The notice that the drive holding the running system cannot be wiped.
class SystemEraserWindowController : public ModalNoticeWindowController
{
    Q_OBJECT

public:
    explicit SystemEraserWindowController(QObject *parent = nullptr);

    CustemImageButton *OkButton() const { return okButtonView(); }

    void okButtonAction();
    void closeWindow();

private:
    void windowDidLoad();
};
