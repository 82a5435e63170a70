#pragma once

#include <QPushButton>

// A link-like button: the pointer becomes a pointing hand while it is over the button.
class VQHandButton : public QPushButton
{
    Q_OBJECT

public:
    explicit VQHandButton(QWidget *parent = nullptr);

    void mouseEntered();
    void mouseExited();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
