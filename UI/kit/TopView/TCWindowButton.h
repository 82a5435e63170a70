#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <functional>

class TCWindowButtonGroup;

// A title-bar button (close, minimize, zoom or full screen) drawn from images that follow its
// window: one while the window is key, one while it is not, one while the button is disabled, a
// rollover image while its group holds the pointer, and the pressed image while held down. The
// click runs the button's action, which its window sets and a controller may replace.
class TCWindowButton : public QAbstractButton
{
    Q_OBJECT

public:
    TCWindowButton(const QSize &size, const QString &groupIdentifier, QWidget *parent = nullptr);
    ~TCWindowButton() override;

    static TCWindowButton *windowButtonWithSize(const QSize &size, const QString &groupIdentifier)
    {
        return new TCWindowButton(size, groupIdentifier);
    }

    QString groupIdentifier() const { return m_groupIdentifier; }
    TCWindowButtonGroup *group() const;

    // Storing an image changes nothing on screen; the next state change shows it.
    QPixmap activeImage() const { return m_activeImage; }
    void setActiveImage(const QPixmap &image) { m_activeImage = image; }
    QPixmap activeNotKeyWindowImage() const { return m_activeNotKeyWindowImage; }
    void setActiveNotKeyWindowImage(const QPixmap &image) { m_activeNotKeyWindowImage = image; }
    QPixmap inactiveImage() const { return m_inactiveImage; }
    void setInactiveImage(const QPixmap &image) { m_inactiveImage = image; }
    QPixmap rolloverImage() const { return m_rolloverImage; }
    void setRolloverImage(const QPixmap &image) { m_rolloverImage = image; }
    QPixmap pressedImage() const { return m_pressedImage; }
    void setPressedImage(const QPixmap &image) { m_pressedImage = image; }

    // What the button shows when not held down.
    QPixmap displayedImage() const { return m_displayedImage; }

    std::function<void()> action() const { return m_action; }
    void setAction(std::function<void()> action) { m_action = std::move(action); }

    // The rectangle, in the button's coordinates, inside which the pointer counts as over it.
    QRect mouseTrackingArea() const { return m_mouseTrackingArea; }
    void setMouseTrackingArea(const QRect &area) { m_mouseTrackingArea = area; }
    void updateTrackingAreas();

    void mouseEntered();
    void mouseExited();

    void updateActiveImage();
    void updateImage();
    void updateRollOverImage();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setImage(const QPixmap &image);
    void windowChanged();
    void watchWindowHandle();
    void pointerMovedInWindow(const QPointF &windowPos);
    // The window went away or lost focus under the pointer: no leave event will come.
    void windowLostPointer();
    void windowWillEnterFullScreen();
    void windowWillExitFullScreen();
    bool isKeyWindow() const;
    QWidget *hostWindow() const;

    QString m_groupIdentifier;
    QPixmap m_activeImage;
    QPixmap m_activeNotKeyWindowImage;
    QPixmap m_inactiveImage;
    QPixmap m_rolloverImage;
    QPixmap m_pressedImage;
    QPixmap m_displayedImage;
    QRect m_mouseTrackingArea;
    std::function<void()> m_action;
    QPointer<QWidget> m_window;
    QPointer<QObject> m_windowHandle;
    bool m_pointerInside = false;
};
