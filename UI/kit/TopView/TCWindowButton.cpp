#include "TCWindowButton.h"

#include "TCWindowButtonGroup.h"
#include "TCWindowNotifications.h"
#include "platform/NotificationCenter.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {
// The pointer counts as over a window button a little before it reaches the drawn disc.
constexpr int kTrackingOutset = 4;
} // namespace

TCWindowButton::TCWindowButton(const QSize &size, const QString &groupIdentifier, QWidget *parent)
    : QAbstractButton(parent)
    , m_groupIdentifier(groupIdentifier)
{
    resize(size);
    setText(QString());
    setFocusPolicy(Qt::NoFocus);
    updateTrackingAreas();
    NotificationCenter::defaultCenter().addObserver(
        this, TCWindowButtonGroup::DidUpdateRolloverStateNotification,
        [this](const Notification &) { updateRollOverImage(); }, group());
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
    windowChanged();
}

TCWindowButton::~TCWindowButton()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_window)
        m_window->removeEventFilter(this);
    if (m_windowHandle)
        m_windowHandle->removeEventFilter(this);
}

TCWindowButtonGroup *TCWindowButton::group() const
{
    return TCWindowButtonGroup::groupWithIdentifier(m_groupIdentifier);
}

void TCWindowButton::updateTrackingAreas()
{
    m_mouseTrackingArea = rect().adjusted(-kTrackingOutset, -kTrackingOutset, kTrackingOutset, kTrackingOutset);
}

void TCWindowButton::mouseEntered()
{
    m_pointerInside = true;
    group()->didCaptureMousePointer();
    updateRollOverImage();
}

void TCWindowButton::mouseExited()
{
    m_pointerInside = false;
    group()->didReleaseMousePointer();
    updateRollOverImage();
}

bool TCWindowButton::isKeyWindow() const
{
    const QWidget *window = hostWindow();
    return window && window->isActiveWindow();
}

QWidget *TCWindowButton::hostWindow() const
{
    return parentWidget() ? window() : nullptr;
}

void TCWindowButton::updateActiveImage()
{
    setImage(look(isKeyWindow() ? Active : ActiveNotKey));
}

void TCWindowButton::updateImage()
{
    if (isEnabled())
        updateActiveImage();
    else
        setImage(look(Inactive));
}

void TCWindowButton::updateRollOverImage()
{
    if (group()->shouldDisplayRollOver() && isEnabled())
        setImage(look(Rollover));
    else
        updateImage();
}

const QPixmap &TCWindowButton::look(Look which) const
{
    std::optional<QPixmap> &image = m_looks[size_t(which)];
    if (!image) {
        // Nothing to draw it with yet: shown as nothing, and drawn once a source is given.
        static const QPixmap none;
        if (!m_lookSource)
            return none;
        image = m_lookSource(which);
    }
    return *image;
}

void TCWindowButton::setLook(Look which, const QPixmap &image)
{
    m_looks[size_t(which)] = image;
}

void TCWindowButton::setImage(const QPixmap &image)
{
    m_displayedImage = image;
    update();
}

void TCWindowButton::paintEvent(QPaintEvent *)
{
    const QPixmap &image = isDown() && !look(Pressed).isNull() ? look(Pressed) : m_displayedImage;
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(rect()), image, QRectF(image.rect()));
}

void TCWindowButton::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    updateTrackingAreas();
}

void TCWindowButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        setImage(look(isEnabled() ? Active : Inactive));
}

bool TCWindowButton::event(QEvent *event)
{
    const bool result = QAbstractButton::event(event);
    if (event->type() == QEvent::ParentChange)
        windowChanged();
    else if (event->type() == QEvent::Hide) // the button's own, or its window's, which hides it too
        windowLostPointer();
    return result;
}

void TCWindowButton::windowChanged()
{
    QWidget *window = hostWindow();
    if (window == m_window)
        return;
    auto &center = NotificationCenter::defaultCenter();
    if (m_window) {
        center.removeObserver(this, windownotifications::WillEnterFullScreen);
        center.removeObserver(this, windownotifications::WillExitFullScreen);
        m_window->removeEventFilter(this);
    }
    if (m_windowHandle)
        m_windowHandle->removeEventFilter(this);
    m_windowHandle = nullptr;
    m_window = window;
    if (!window)
        return;
    window->installEventFilter(this);
    center.addObserver(this, windownotifications::WillEnterFullScreen,
                       [this](const Notification &) { windowWillEnterFullScreen(); }, window);
    center.addObserver(this, windownotifications::WillExitFullScreen,
                       [this](const Notification &) { windowWillExitFullScreen(); }, window);
    watchWindowHandle();
    updateImage();
}

// The pointer is followed on the window's native surface, which sees every move inside the
// window whichever widget is under it; that is what lets the area reach beyond the button.
void TCWindowButton::watchWindowHandle()
{
    QWindow *handle = m_window ? m_window->windowHandle() : nullptr;
    if (handle == m_windowHandle)
        return;
    if (m_windowHandle)
        m_windowHandle->removeEventFilter(this);
    m_windowHandle = handle;
    if (handle)
        handle->installEventFilter(this);
}

bool TCWindowButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::ActivationChange:
            if (!m_window->isActiveWindow())
                windowLostPointer();
            updateImage();
            break;
        case QEvent::Show:
        case QEvent::WinIdChange:
            watchWindowHandle();
            break;
        default:
            break;
        }
    } else if (watched == m_windowHandle) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            pointerMovedInWindow(static_cast<QMouseEvent *>(event)->position());
            break;
        case QEvent::Leave:
            if (m_pointerInside)
                mouseExited();
            break;
        default:
            break;
        }
    }
    return QAbstractButton::eventFilter(watched, event);
}

void TCWindowButton::pointerMovedInWindow(const QPointF &windowPos)
{
    if (!m_window)
        return;
    const QPoint local = mapFrom(m_window, windowPos.toPoint());
    const bool inside = isVisible() && m_mouseTrackingArea.contains(local);
    if (inside == m_pointerInside)
        return;
    if (inside)
        mouseEntered();
    else
        mouseExited();
}

void TCWindowButton::windowLostPointer()
{
    if (!m_pointerInside)
        return;
    m_pointerInside = false;
    group()->didLosePointerWithoutLeaving();
    updateRollOverImage();
}

void TCWindowButton::windowWillEnterFullScreen()
{
    group()->resetMouseCaptures();
    hide();
}

void TCWindowButton::windowWillExitFullScreen()
{
    group()->resetMouseCaptures();
    show();
}
