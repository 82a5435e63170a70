#include "TCImageWindow.h"

#include "CustemImageButton.h"
#include "ImageLibrary.h"
#include "JXTitlebarContainer.h"
#include "JXTitlebarView.h"
#include "KitGeometry.h"
#include "StartUpQueue.h"
#include "TCStandardWindowButtonArt.h"
#include "TCWindowButton.h"
#include "TCWindowEdge.h"
#include "TCWindowNotifications.h"
#include "Theme.h"
#include "TitlebarDrawing.h"
#include "platform/NotificationCenter.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <future>
#include <system_error>

#ifdef NULLWELL_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace {

// Taken from the first window's standard buttons and frame, then kept for every later window;
// a measurement of 0.0 is not kept.
struct MeasuredDefaults
{
    qreal minTitleHeight = 0.0;
    qreal trafficLightLeftMargin = 0.0;
    qreal trafficLightSeparation = 0.0;
};

MeasuredDefaults &measured()
{
    static MeasuredDefaults defaults;
    return defaults;
}

std::function<bool()> &compositorProbe()
{
    static std::function<bool()> probe;
    return probe;
}

// The first window's answer, asked for ahead.
std::future<bool> &preparedCompositorAnswer()
{
    static std::future<bool> answer;
    return answer;
}

// Halves away from zero, as the layout's centring asks.
qreal roundHalfAway(qreal value)
{
    return std::round(value);
}

QRectF frameOf(const QWidget *widget)
{
    return widget ? kit::bottomLeftFrame(widget) : QRectF();
}

void fillBackground(QWidget *widget)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, theme::windowContentColor());
    widget->setPalette(palette);
}

#ifdef NULLWELL_HAVE_XCB
xcb_connection_t *displayConnection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Safe on any thread: the connection serialises its requests and hands each reply to its asker.
bool ownerOfCompositingSelection(xcb_connection_t *connection)
{
    if (!connection)
        return false;
    // A compositing manager owns this selection for as long as it runs.
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composites = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composites;
}
#endif

bool desktopComposites()
{
#ifdef NULLWELL_HAVE_XCB
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return ownerOfCompositingSelection(displayConnection());
#else
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return false;
#endif
    // Wayland always composites; so does rendering into offscreen buffers.
    return true;
}

} // namespace

bool TCImageWindow::hasCompositor()
{
    if (compositorProbe())
        return compositorProbe()();
    if (preparedCompositorAnswer().valid())
        return preparedCompositorAnswer().get();
    return desktopComposites();
}

void TCImageWindow::prepareCompositorAnswer()
{
#ifdef NULLWELL_HAVE_XCB
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) || compositorProbe() ||
        QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    settleCompositorAnswer();
    xcb_connection_t *connection = displayConnection();
    try {
        preparedCompositorAnswer() =
            StartUpQueue::submit([connection] { return ownerOfCompositingSelection(connection); });
    } catch (const std::system_error &) {
        // No thread to be had: the window asks itself.
    }
#endif
}

void TCImageWindow::settleCompositorAnswer()
{
    if (preparedCompositorAnswer().valid())
        preparedCompositorAnswer().get();
}

void TCImageWindow::setCompositorProbe(std::function<bool()> probe)
{
    compositorProbe() = std::move(probe);
}

TCImageWindow::TCImageWindow(const QSize &contentSize, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    // Rounded corners need a translucent window; without a compositor it would show black
    // corners, so the corners are cut with a mask instead.
    m_translucent = hasCompositor();
    if (m_translucent)
        setAttribute(Qt::WA_TranslucentBackground);
    else
        fillBackground(this);
    setMovableByWindowBackground(true);
    resize(contentSize.width(), contentSize.height() + qRound(theme::kStandardTitleBarHeight));

    // What the desktop would otherwise supply: the three buttons where a title bar of the
    // standard height puts them, and a plain content view below that bar.
    for (int type = CloseButton; type <= ZoomButton; ++type) {
        auto *button = TCStandardWindowButtonArt::makeButton(TCStandardWindowButtonArt::Type(type), QString(), this);
        const int diameter = theme::kWindowButtonDiameter;
        const qreal x = theme::kWindowButtonLeftMargin + type * (diameter + theme::kWindowButtonSeparation);
        const qreal y = (theme::kStandardTitleBarHeight - diameter) / 2.0;
        button->move(qRound(x), qRound(y));
        m_standardButtons[type] = button;
    }
    m_standardButtons[CloseButton]->setAction([this] { performClose(); });
    m_standardButtons[MinimizeButton]->setAction([this] { performMiniaturize(); });
    m_standardButtons[ZoomButton]->setAction([this] { performZoom(); });

    auto *content = new QWidget(this);
    fillBackground(content);
    content->setGeometry(contentRectForFrameRect(QRectF(rect())).toRect());
    m_contentView = content;
    m_edge = new TCWindowEdge(this);
    setFocusPolicy(Qt::ClickFocus);
    raiseButtons();

    doInitialWindowSetup();
}

TCImageWindow::~TCImageWindow()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void TCImageWindow::doInitialWindowSetup()
{
    m_showsBaselineSeparator = true;
    m_centerTrafficLightButtons = true;
    m_titleBarHeight = minimumTitlebarHeight();
    m_cachedTitleBarHeight = m_titleBarHeight;
    m_trafficLightButtonsLeftMargin = defaultTrafficLightLeftMargin();
    m_trafficLightButtonsTopMargin = 3.0;
    m_fullScreenButtonTopMargin = 3.0;
    m_trafficLightSeparation = defaultTrafficLightSeparation();

    auto &center = NotificationCenter::defaultCenter();
    // A full-screen change of any window reaches every image window.
    center.addObserver(this, windownotifications::WillEnterFullScreen,
                       [this](const Notification &) { windowWillEnterFullScreen(); });
    center.addObserver(this, windownotifications::WillExitFullScreen,
                       [this](const Notification &) { windowWillExitFullScreen(); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this] { displayWindowAndTitlebar(); });

    createTitlebarView();
    layoutTrafficLightsAndContent();
    setupTrafficLightsTrackingArea();
    updateWindowShape();
}

QRectF TCImageWindow::contentRectForFrameRect(const QRectF &frame) const
{
    return frame.adjusted(0, theme::kStandardTitleBarHeight, 0, 0);
}

qreal TCImageWindow::minimumTitlebarHeight() const
{
    qreal &value = measured().minTitleHeight;
    if (value == 0.0) {
        const QRectF frame(geometry());
        value = frame.height() - contentRectForFrameRect(frame).height();
    }
    return value;
}

qreal TCImageWindow::defaultTrafficLightLeftMargin()
{
    qreal &value = measured().trafficLightLeftMargin;
    if (value == 0.0)
        value = frameOf(windowButtonToLayout(CloseButton, m_closeButton)).x();
    return value;
}

qreal TCImageWindow::defaultTrafficLightSeparation()
{
    qreal &value = measured().trafficLightSeparation;
    if (value == 0.0) {
        const QRectF close = frameOf(windowButtonToLayout(CloseButton, m_closeButton));
        const QRectF minimize = frameOf(windowButtonToLayout(MinimizeButton, m_minimizeButton));
        value = minimize.x() - (close.x() + close.width());
    }
    return value;
}

void TCImageWindow::createTitlebarView()
{
    auto *container = new JXTitlebarContainer(this);
    container->lower();
    container->show();
    m_titleBarContainer = container;
    setTitleBarView(new JXTitlebarView);
}

void TCImageWindow::setTitleBarView(QWidget *view)
{
    if (!view || view == m_titleBarView)
        return;
    if (m_titleBarView)
        delete m_titleBarView.data();
    m_titleBarView = view;
    view->setParent(m_titleBarContainer);
    m_titleBarContainer->setFillView(view);
    view->show();
}

TCWindowButton *TCImageWindow::standardWindowButton(int type) const
{
    if (type < CloseButton || type > ZoomButton)
        return nullptr;
    return m_standardButtons[type];
}

TCWindowButton *TCImageWindow::windowButtonToLayout(int type, TCWindowButton *userProvided)
{
    TCWindowButton *standard = standardWindowButton(type);
    if (userProvided) {
        if (standard && !standard->isHidden()) {
            standard->hide();
            m_hiddenForSuppliedButton[type] = true;
        }
        return userProvided;
    }
    // A standard button hidden only to make room for a supplied one comes back with it gone; one
    // that its controller hid stays hidden.
    if (standard && m_hiddenForSuppliedButton[type]) {
        standard->show();
        m_hiddenForSuppliedButton[type] = false;
    }
    return standard;
}

void TCImageWindow::layoutTrafficLightsAndContent()
{
    if (!m_titleBarContainer)
        return;
    const QRectF frameView(0.0, 0.0, width(), height());
    const QRectF bar(0.0, frameView.y() + frameView.height() - m_titleBarHeight, frameView.width(), m_titleBarHeight);
    kit::setBottomLeftFrame(m_titleBarContainer, bar);
    m_titleBarContainer->fitFillView();

    TCWindowButton *close = windowButtonToLayout(CloseButton, m_closeButton);
    TCWindowButton *minimize = windowButtonToLayout(MinimizeButton, m_minimizeButton);
    TCWindowButton *zoom = windowButtonToLayout(ZoomButton, m_zoomButton);
    QRectF f1 = frameOf(close);
    QRectF f2 = frameOf(minimize);
    QRectF f3 = frameOf(zoom);

    if (!m_verticalTrafficLightButtons) {
        const qreal baseY = m_centerTrafficLightButtons
                                ? roundHalfAway(bar.y() + bar.height() / 2.0 - f1.height() / 2.0)
                                : bar.y() + bar.height() - f1.height() - m_trafficLightButtonsTopMargin;
        const qreal y = baseY + m_topButtonMoveUp;
        f1.moveTo(m_trafficLightButtonsLeftMargin, y);
        f2.moveTo(f1.x() + f1.width() + m_trafficLightSeparation, y);
        f3.moveTo(f2.x() + f2.width() + m_trafficLightSeparation, y);
    } else {
        const qreal gap = m_trafficLightSeparation - 2.0;
        const qreal stack = f1.height() + f2.height() + f3.height() + 2.0 * gap;
        const qreal baseY = m_centerTrafficLightButtons
                                ? roundHalfAway(bar.y() + bar.height() / 2.0 - stack / 2.0)
                                : bar.y() + bar.height() - stack - m_trafficLightButtonsTopMargin;
        f3.moveTo(m_trafficLightButtonsLeftMargin, baseY);
        f2.moveTo(m_trafficLightButtonsLeftMargin, f3.y() + f3.height() + gap);
        f1.moveTo(m_trafficLightButtonsLeftMargin, f2.y() + f2.height() + gap);
    }
    if (close)
        kit::setBottomLeftFrame(close, f1);
    if (minimize)
        kit::setBottomLeftFrame(minimize, f2);
    if (zoom)
        kit::setBottomLeftFrame(zoom, f3);

    if (TCWindowButton *fullScreen = windowButtonToLayout(FullScreenButton, m_fullScreenButton)) {
        QRectF fs = frameOf(fullScreen);
        if (!m_setFullScreenButtonRightMargin)
            setFullScreenButtonRightMargin(bar.width() - (fs.x() + fs.width()));
        fs.moveLeft(bar.width() - fs.width() - m_fullScreenButtonRightMargin);
        fs.moveTop(m_centerFullScreenButton ? roundHalfAway(bar.y() + bar.height() / 2.0 - fs.height() / 2.0)
                                            : bar.y() + bar.height() - fs.height() - m_fullScreenButtonTopMargin);
        kit::setBottomLeftFrame(fullScreen, fs);
    }

    repositionContentView();
}

// The content view sits at the lower left of the frame view and fills it up to the title bar,
// following the window's size as it changes.
void TCImageWindow::repositionContentView()
{
    QWidget *content = contentView();
    if (!content)
        return;
    const QRectF wanted(0.0, 0.0, width(), height() - m_titleBarHeight);
    const QRect target = kit::fromBottomLeft(wanted, height()).toRect();
    if (content->geometry() == target)
        return;
    content->setGeometry(target);
    content->update();
}

QWidget *TCImageWindow::contentView() const
{
    return m_contentView && m_contentView->parentWidget() == this ? m_contentView.data() : nullptr;
}

void TCImageWindow::setContentView(QWidget *view)
{
    if (view == m_contentView)
        return;
    if (QWidget *old = contentView()) {
        old->hide();
        old->deleteLater();
    }
    m_contentView = view;
    if (!view)
        return;
    view->setParent(this);
    view->show();
    raiseButtons();
    repositionContentView();
}

// The buttons stay above the content view and the title-bar area whatever is added later.
void TCImageWindow::raiseButtons()
{
    for (const auto &button : m_standardButtons) {
        if (button)
            button->raise();
    }
    for (TCWindowButton *button : {m_closeButton.data(), m_minimizeButton.data(), m_zoomButton.data(),
                                   m_fullScreenButton.data()}) {
        if (button)
            button->raise();
    }
    if (m_edge)
        m_edge->raise();
}

void TCImageWindow::setResizable(bool resizable)
{
    m_resizable = resizable;
    if (resizable) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(size());
    }
    updateZoomButton();
}

void TCImageWindow::updateZoomButton()
{
    for (TCWindowButton *zoom : {standardWindowButton(ZoomButton), m_zoomButton.data()}) {
        if (zoom)
            zoom->setEnabled(m_resizable);
    }
}

void TCImageWindow::setMiniaturizable(bool miniaturizable)
{
    m_miniaturizable = miniaturizable;
    if (TCWindowButton *minimize = standardWindowButton(MinimizeButton))
        minimize->setVisible(miniaturizable);
    if (m_minimizeButton)
        m_minimizeButton->setVisible(miniaturizable);
}

void TCImageWindow::makeDialogChrome()
{
    setMiniaturizable(false);
    setResizable(false);
    for (TCWindowButton *zoom : {standardWindowButton(ZoomButton), m_zoomButton.data()}) {
        if (zoom)
            zoom->hide();
    }
}

void TCImageWindow::displayWindowAndTitlebar()
{
    if (m_titleBarView)
        m_titleBarView->update();
}

bool TCImageWindow::drawsAsActive() const
{
    return isActiveWindow() && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void TCImageWindow::setTitleBarHeight(qreal height)
{
    if (height == m_titleBarHeight)
        return;
    m_cachedTitleBarHeight = height;
    m_titleBarHeight = height;
    layoutTrafficLightsAndContent();
    displayWindowAndTitlebar();
}

void TCImageWindow::setTrafficLightButtonsLeftMargin(qreal margin)
{
    if (margin == m_trafficLightButtonsLeftMargin)
        return;
    m_trafficLightButtonsLeftMargin = margin;
    layoutTrafficLightsAndContent();
    displayWindowAndTitlebar();
    setupTrafficLightsTrackingArea();
}

void TCImageWindow::setCenterFullScreenButton(bool center)
{
    if (center == m_centerFullScreenButton)
        return;
    m_centerFullScreenButton = center;
    layoutTrafficLightsAndContent();
}

void TCImageWindow::setCenterTrafficLightButtons(bool center)
{
    if (center == m_centerTrafficLightButtons)
        return;
    m_centerTrafficLightButtons = center;
    layoutTrafficLightsAndContent();
    setupTrafficLightsTrackingArea();
}

void TCImageWindow::setVerticalTrafficLightButtons(bool vertical)
{
    if (vertical == m_verticalTrafficLightButtons)
        return;
    m_verticalTrafficLightButtons = vertical;
    layoutTrafficLightsAndContent();
    setupTrafficLightsTrackingArea();
}

void TCImageWindow::setFullScreenButtonRightMargin(qreal margin)
{
    if (margin == m_fullScreenButtonRightMargin)
        return;
    m_fullScreenButtonRightMargin = margin;
    m_setFullScreenButtonRightMargin = true;
    layoutTrafficLightsAndContent();
    displayWindowAndTitlebar();
}

void TCImageWindow::setTrafficLightSeparation(qreal separation)
{
    if (separation == m_trafficLightSeparation)
        return;
    m_trafficLightSeparation = separation;
    layoutTrafficLightsAndContent();
    setupTrafficLightsTrackingArea();
}

void TCImageWindow::setShowsBaselineSeparator(bool shows)
{
    if (shows == m_showsBaselineSeparator)
        return;
    m_showsBaselineSeparator = shows;
    displayWindowAndTitlebar();
}

void TCImageWindow::setShowsTitle(bool shows)
{
    if (shows == m_showsTitle)
        return;
    m_showsTitle = shows;
    displayWindowAndTitlebar();
}

void TCImageWindow::replaceButton(QPointer<TCWindowButton> &slot, TCWindowButton *button, int type,
                                  std::function<void()> action)
{
    if (button == slot)
        return;
    if (slot)
        delete slot.data();
    slot = button;
    if (!button)
        return;
    button->setAction(std::move(action));
    const TCWindowButton *standard = standardWindowButton(type);
    const QPoint origin = standard ? standard->pos() : QPoint();
    button->setParent(this);
    button->move(origin);
    button->show();
    button->raise();
}

void TCImageWindow::setCloseButton(TCWindowButton *button)
{
    replaceButton(m_closeButton, button, CloseButton, [this] { performClose(); });
}

void TCImageWindow::setMinimizeButton(TCWindowButton *button)
{
    replaceButton(m_minimizeButton, button, MinimizeButton, [this] { performMiniaturize(); });
    if (m_minimizeButton && !m_miniaturizable)
        m_minimizeButton->hide();
}

void TCImageWindow::setZoomButton(TCWindowButton *button)
{
    replaceButton(m_zoomButton, button, ZoomButton, [this] { performZoom(); });
    updateZoomButton();
}

void TCImageWindow::setFullScreenButton(TCWindowButton *button)
{
    replaceButton(m_fullScreenButton, button, FullScreenButton, [this] { toggleFullScreen(); });
}

QRectF TCImageWindow::positionSheet(QWidget *sheet, const QRectF &proposed)
{
    return m_delegateProxy.windowWillPositionSheet(this, sheet, proposed);
}

void TCImageWindow::windowWillEnterFullScreen()
{
    if (!m_hideTitleBarInFullScreen)
        return;
    m_titleBarHeight = 0.0;
    layoutTrafficLightsAndContent();
    displayWindowAndTitlebar();
    if (m_titleBarView)
        m_titleBarView->hide();
}

void TCImageWindow::windowWillExitFullScreen()
{
    if (!m_hideTitleBarInFullScreen)
        return;
    m_titleBarHeight = m_cachedTitleBarHeight;
    layoutTrafficLightsAndContent();
    displayWindowAndTitlebar();
    if (m_titleBarView)
        m_titleBarView->show();
}

void TCImageWindow::performClose()
{
    if (!m_delegateProxy.windowShouldClose(this))
        return;
    close();
}

void TCImageWindow::performMiniaturize()
{
    miniaturize();
}

void TCImageWindow::miniaturize()
{
    if (!m_miniaturizable)
        return;
    showMinimized();
}

void TCImageWindow::performZoom()
{
    // A window of fixed size has nothing to grow into: its panes would sit in a corner.
    if (!m_resizable)
        return;
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void TCImageWindow::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void TCImageWindow::updateWindowShape()
{
    if (m_translucent)
        return;
    if (isFullScreen() || isMaximized()) {
        clearMask();
        return;
    }
    const QPainterPath outline = createClippingPathWithRectAndRadius(QRectF(rect()), theme::kTitleBarCornerRadius);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void TCImageWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutTrafficLightsAndContent();
    updateWindowShape();
    m_delegateProxy.windowDidResize(this);
}

void TCImageWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    layoutTrafficLightsAndContent();
    m_delegateProxy.windowDidMove(this);
}

void TCImageWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        displayWindowAndTitlebar();
        layoutTrafficLightsAndContent();
        if (isActiveWindow()) {
            setupTrafficLightsTrackingArea();
            m_delegateProxy.windowDidBecomeKey(this);
        } else {
            m_delegateProxy.windowDidResignKey(this);
        }
        break;
    case QEvent::WindowTitleChange:
        layoutTrafficLightsAndContent();
        displayWindowAndTitlebar();
        break;
    case QEvent::WindowStateChange: {
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent *>(event)->oldState();
        const bool wasFull = old.testFlag(Qt::WindowFullScreen);
        const bool isFull = windowState().testFlag(Qt::WindowFullScreen);
        auto &center = NotificationCenter::defaultCenter();
        // Observers compare the object with the top-level widget they know.
        const QWidget *object = this;
        if (!wasFull && isFull) {
            center.postNotification(windownotifications::WillEnterFullScreen, object);
        } else if (wasFull && !isFull) {
            center.postNotification(windownotifications::WillExitFullScreen, object);
            center.postNotification(windownotifications::DidExitFullScreen, object);
        }
        if (!old.testFlag(Qt::WindowMinimized) && windowState().testFlag(Qt::WindowMinimized))
            m_delegateProxy.windowDidMiniaturize(this);
        updateWindowShape();
        break;
    }
    default:
        break;
    }
}

void TCImageWindow::closeEvent(QCloseEvent *event)
{
    // A close asked for by the desktop goes through the delegate like the close button does.
    if (event->spontaneous() && !m_delegateProxy.windowShouldClose(this)) {
        event->ignore();
        return;
    }
    m_delegateProxy.windowWillClose(this);
    QWidget::closeEvent(event);
}

void TCImageWindow::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    if (!visible || m_iconGiven || !windowHandle())
        return;
    if (windowHandle()->isExposed())
        giveIconAfterThisPicture();
    else
        windowHandle()->installEventFilter(this);
}

bool TCImageWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_iconGiven && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        giveIconAfterThisPicture();
    }
    return QWidget::eventFilter(watched, event);
}

void TCImageWindow::giveIconAfterThisPicture()
{
    m_iconGiven = true;
    // Queued: the exposure being handled is painted and sent to the screen before the loop comes to it.
    QTimer::singleShot(0, this, [this] { setWindowIcon(ImageLibrary::applicationIcon()); });
}

void TCImageWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    raiseButtons();
    // The window itself holds the focus until the person moves it with Tab or a click: no control
    // shows a focus ring it was never given, and Return reaches the default button, not whichever
    // button came first.
    if (!focusWidget())
        setFocus(Qt::OtherFocusReason);
}

bool TCImageWindow::pressKeyEquivalent(int key)
{
    const auto role = key == Qt::Key_Escape ? CustemImageButton::EscapeKey : CustemImageButton::ReturnKey;
    const QList<CustemImageButton *> buttons = findChildren<CustemImageButton *>();
    for (CustemImageButton *button : buttons) {
        if ((button->keyEquivalents() & role) && button->isVisibleTo(this) && button->takesClicks()) {
            button->performClick();
            return true;
        }
    }
    if (key != Qt::Key_Escape || windowModality() == Qt::NonModal)
        return false;
    // A dialog without a cancel button closes as its close button would close it.
    TCWindowButton *close = m_closeButton ? m_closeButton.data() : standardWindowButton(CloseButton);
    if (!close || !close->isVisibleTo(this) || !close->isEnabled())
        return false;
    close->click();
    return true;
}

void TCImageWindow::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) &&
        !event->isAutoRepeat() && pressKeyEquivalent(key)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TCImageWindow::beginWindowDrag(const QPointF &globalPos)
{
    m_dragging = true;
    m_dragStartGlobal = globalPos;
    m_dragStartOrigin = pos();
    // Where the desktop can move the window itself (and on Wayland only it can), it is asked at
    // the press: it then follows the pointer from where the press was, so no movement is lost.
    // A zoomed window stays put, and a desktop that would not move it must not keep the press.
    if (isMaximized() || isFullScreen())
        m_dragging = false;
    else if (windowHandle() && windowHandle()->startSystemMove())
        m_dragging = false;
}

void TCImageWindow::continueWindowDrag(const QPointF &globalPos)
{
    if (!m_dragging || isFullScreen())
        return;
    move(m_dragStartOrigin + (globalPos - m_dragStartGlobal).toPoint());
}

void TCImageWindow::endWindowDrag()
{
    m_dragging = false;
}

void TCImageWindow::mousePressEvent(QMouseEvent *event)
{
    if (!m_movableByWindowBackground || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    beginWindowDrag(event->globalPosition());
    event->accept();
}

void TCImageWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        continueWindowDrag(event->globalPosition());
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TCImageWindow::mouseReleaseEvent(QMouseEvent *event)
{
    endWindowDrag();
    QWidget::mouseReleaseEvent(event);
}
