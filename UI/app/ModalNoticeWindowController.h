#pragma once

#include "CustemImageButton.h"

#include <QLabel>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TCImageWindow;

// A small modal notice: an image, a message and an OK button. The OK button and the title bar's
// close button both end the modal loop and close the window.
class ModalNoticeWindowController : public QObject
{
    Q_OBJECT

public:
    ~ModalNoticeWindowController() override;

    TCImageWindow *window() const { return m_window.get(); }
    QLabel *titleLabel() const { return m_titleLabel; }
    QWidget *titleBarView() const { return m_titleBarView; }
    QLabel *messageLabel() const { return m_messageLabel; }

    // Centres the window and runs it modally until it is dismissed.
    void runModal();

protected:
    struct Look
    {
        int width = 0;
        QString imageName;
        QString message;
    };
    ModalNoticeWindowController(const Look &look, QObject *parent);

    // The common dressing of the title bar; a null image name leaves the bar plain.
    void dressTitleBar(const char *barImage, const QColor &titleColor);
    // Captions the OK button, which then runs the given action.
    void setUpOkButton(qreal fontSize, std::function<void()> action);
    // The window's close button runs the given action.
    void setCloseAction(std::function<void()> action);
    // Ends the modal loop, then closes the window.
    void stopModalAndClose();

    CustemImageButton *okButtonView() const { return m_okButton; }

    TCImageWindow *m_aWindow = nullptr;
    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_titleBarView;

private:
    std::unique_ptr<TCImageWindow> m_window;
    QPointer<QLabel> m_messageLabel;
    QPointer<CustemImageButton> m_okButton;
    int m_width = 0;
};
