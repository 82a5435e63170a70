#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QRect>

#include <array>
#include <functional>
#include <optional>

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

    enum Look { Active, ActiveNotKey, Inactive, Rollover, Pressed };

    // Storing an image changes nothing on screen; the next state change shows it.
    QPixmap activeImage() const { return look(Active); }
    void setActiveImage(const QPixmap &image) { setLook(Active, image); }
    QPixmap activeNotKeyWindowImage() const { return look(ActiveNotKey); }
    void setActiveNotKeyWindowImage(const QPixmap &image) { setLook(ActiveNotKey, image); }
    QPixmap inactiveImage() const { return look(Inactive); }
    void setInactiveImage(const QPixmap &image) { setLook(Inactive, image); }
    QPixmap rolloverImage() const { return look(Rollover); }
    void setRolloverImage(const QPixmap &image) { setLook(Rollover, image); }
    QPixmap pressedImage() const { return look(Pressed); }
    void setPressedImage(const QPixmap &image) { setLook(Pressed, image); }
    // Draws each look not set the first time it is needed: a window's buttons then draw only what
    // its first picture shows (three of fifteen images), and the rest on the first hover or press.
    void setLookSource(std::function<QPixmap(Look)> source) { m_lookSource = std::move(source); }

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
    const QPixmap &look(Look which) const;
    void setLook(Look which, const QPixmap &image);
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
    // By Look; drawn by the source when first asked for unless set.
    mutable std::array<std::optional<QPixmap>, 5> m_looks;
    std::function<QPixmap(Look)> m_lookSource;
    QPixmap m_displayedImage;
    QRect m_mouseTrackingArea;
    std::function<void()> m_action;
    QPointer<QWidget> m_window;
    QPointer<QObject> m_windowHandle;
    bool m_pointerInside = false;
};
