#pragma once

#include "AddView.h"
#include "DragView.h"

#include <QPointer>
#include <QSize>


// The main window's first pane: the dashed drop zone with its picture and texts, and the Add
// Files button. What the button and the drops do is the window controller's to say.
class AddPane : public DragView
{
    Q_OBJECT

public:
    AddPane(const QSize &size, QWidget *parent);

    DragView *dropZone() const { return m_dropZone; }
    AddView *addFilesButton() const { return m_addFilesButton; }

private:
    QPointer<DragView> m_dropZone;
    QPointer<AddView> m_addFilesButton;
};
