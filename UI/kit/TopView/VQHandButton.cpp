#include "VQHandButton.h"

VQHandButton::VQHandButton(QWidget *parent)
    : QPushButton(parent)
{
}

void VQHandButton::mouseEntered()
{
    setCursor(Qt::PointingHandCursor);
}

void VQHandButton::mouseExited()
{
    setCursor(Qt::ArrowCursor);
}

void VQHandButton::enterEvent(QEnterEvent *)
{
    mouseEntered();
}

void VQHandButton::leaveEvent(QEvent *)
{
    mouseExited();
}
