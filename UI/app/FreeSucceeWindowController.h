#pragma once

#include "ModalNoticeWindowController.h"

// The notice that a drive's free space has been wiped.
class FreeSucceeWindowController : public ModalNoticeWindowController
{
    Q_OBJECT

public:
    explicit FreeSucceeWindowController(QObject *parent = nullptr);

    CustemImageButton *OKButton() const { return okButtonView(); }

    void okButtonAction();

private:
    void windowDidLoad();
};
