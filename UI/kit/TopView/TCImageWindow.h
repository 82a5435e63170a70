#pragma once

#include "TCImageWindowDelegateProxy.h"
#include "TCShadow.h"
#include "TCWindowButton.h"

#include <QColor>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class JXTitlebarContainer;
class TCWindowEdge;

// The window of every window controller: a frameless top-level window that draws its own title
// bar (a white bar with rounded upper corners) and carries the kit's close, minimize and zoom
// buttons in it. The window itself is the frame view; the content view is a child that ends at
// the lower edge of the title bar. Controllers put their own images and labels into
// titleBarView() and set the title-bar height and the buttons' margins.
//
// Frames and margins are in points, measured as a designer does: from the lower left, y up.
class TCImageWindow : public QWidget
{
    Q_OBJECT

public:
    // Draws the title-bar background instead of the plain white fill: told whether the window
    // draws as active, the outline with rounded upper corners and the bar's rectangle.
    using TitleBarDrawingBlock =
        std::function<void(QPainter &painter, bool drawsAsActive, const QPainterPath &clippingPath, const QRectF &titleBarFrame)>;

    // Standard button types of standardWindowButton().
    enum ButtonType { CloseButton = 0, MinimizeButton = 1, ZoomButton = 2, DocumentIconButton = 4,
                      DocumentVersionsButton = 6, FullScreenButton = 7 };

    // A window whose content area has the given size; the title bar comes on top of it.
    explicit TCImageWindow(const QSize &contentSize = QSize(480, 320), QWidget *parent = nullptr);
    ~TCImageWindow() override;

    // ---- What window controllers use ----
    QWidget *titleBarView() const { return m_titleBarView; }
    // Replaces the title-bar view (the window takes ownership and deletes the old one); null or
    // the current view changes nothing.
    void setTitleBarView(QWidget *view);
    qreal titleBarHeight() const { return m_titleBarHeight; }
    void setTitleBarHeight(qreal height);
    qreal trafficLightButtonsLeftMargin() const { return m_trafficLightButtonsLeftMargin; }
    void setTrafficLightButtonsLeftMargin(qreal margin);
    // Raises the three buttons in the horizontal arrangement; shows at the next layout.
    qreal topButtonMoveUp() const { return m_topButtonMoveUp; }
    void setTopButtonMoveUp(qreal offset) { m_topButtonMoveUp = offset; }

    // ---- Button arrangement ----
    bool centerFullScreenButton() const { return m_centerFullScreenButton; }
    void setCenterFullScreenButton(bool center);
    bool centerTrafficLightButtons() const { return m_centerTrafficLightButtons; }
    void setCenterTrafficLightButtons(bool center);
    bool verticalTrafficLightButtons() const { return m_verticalTrafficLightButtons; }
    void setVerticalTrafficLightButtons(bool vertical);
    qreal trafficLightButtonsTopMargin() const { return m_trafficLightButtonsTopMargin; }
    void setTrafficLightButtonsTopMargin(qreal margin) { m_trafficLightButtonsTopMargin = margin; }
    qreal fullScreenButtonRightMargin() const { return m_fullScreenButtonRightMargin; }
    void setFullScreenButtonRightMargin(qreal margin);
    qreal fullScreenButtonTopMargin() const { return m_fullScreenButtonTopMargin; }
    void setFullScreenButtonTopMargin(qreal margin) { m_fullScreenButtonTopMargin = margin; }
    qreal trafficLightSeparation() const { return m_trafficLightSeparation; }
    void setTrafficLightSeparation(qreal separation);

    // ---- Title bar ----
    bool hideTitleBarInFullScreen() const { return m_hideTitleBarInFullScreen; }
    void setHideTitleBarInFullScreen(bool hide) { m_hideTitleBarInFullScreen = hide; }
    bool showsBaselineSeparator() const { return m_showsBaselineSeparator; }
    void setShowsBaselineSeparator(bool shows);
    bool showsTitle() const { return m_showsTitle; }
    void setShowsTitle(bool shows);
    bool showsTitleInFullscreen() const { return m_showsTitleInFullscreen; }
    void setShowsTitleInFullscreen(bool shows) { m_showsTitleInFullscreen = shows; }
    QString title() const { return windowTitle(); }
    void setTitle(const QString &title) { setWindowTitle(title); }

    // Colours are invalid (unset) until given; an unset title colour or shadow draws the default.
    QColor titleBarStartColor() const { return m_titleBarStartColor; }
    void setTitleBarStartColor(const QColor &color) { m_titleBarStartColor = color; }
    QColor titleBarEndColor() const { return m_titleBarEndColor; }
    void setTitleBarEndColor(const QColor &color) { m_titleBarEndColor = color; }
    QColor baselineSeparatorColor() const { return m_baselineSeparatorColor; }
    void setBaselineSeparatorColor(const QColor &color) { m_baselineSeparatorColor = color; }
    QColor titleTextColor() const { return m_titleTextColor; }
    void setTitleTextColor(const QColor &color) { m_titleTextColor = color; }
    std::optional<TCShadow> titleTextShadow() const { return m_titleTextShadow; }
    void setTitleTextShadow(const std::optional<TCShadow> &shadow) { m_titleTextShadow = shadow; }
    QColor inactiveTitleBarStartColor() const { return m_inactiveTitleBarStartColor; }
    void setInactiveTitleBarStartColor(const QColor &color) { m_inactiveTitleBarStartColor = color; }
    QColor inactiveTitleBarEndColor() const { return m_inactiveTitleBarEndColor; }
    void setInactiveTitleBarEndColor(const QColor &color) { m_inactiveTitleBarEndColor = color; }
    QColor inactiveBaselineSeparatorColor() const { return m_inactiveBaselineSeparatorColor; }
    void setInactiveBaselineSeparatorColor(const QColor &color) { m_inactiveBaselineSeparatorColor = color; }
    QColor inactiveTitleTextColor() const { return m_inactiveTitleTextColor; }
    void setInactiveTitleTextColor(const QColor &color) { m_inactiveTitleTextColor = color; }
    std::optional<TCShadow> inactiveTitleTextShadow() const { return m_inactiveTitleTextShadow; }
    void setInactiveTitleTextShadow(const std::optional<TCShadow> &shadow) { m_inactiveTitleTextShadow = shadow; }
    const TitleBarDrawingBlock &titleBarDrawingBlock() const { return m_titleBarDrawingBlock; }
    void setTitleBarDrawingBlock(TitleBarDrawingBlock block) { m_titleBarDrawingBlock = std::move(block); }

    // ---- Buttons ----
    // The kit's own close, minimize and zoom buttons (types 0, 1, 2); null for any other type.
    TCWindowButton *standardWindowButton(int type) const;
    // Buttons that replace the standard ones; the window takes ownership, deletes the one it
    // replaces and sets the button's action to close, minimize, zoom or toggle full screen.
    TCWindowButton *closeButton() const { return m_closeButton; }
    void setCloseButton(TCWindowButton *button);
    TCWindowButton *minimizeButton() const { return m_minimizeButton; }
    void setMinimizeButton(TCWindowButton *button);
    TCWindowButton *zoomButton() const { return m_zoomButton; }
    void setZoomButton(TCWindowButton *button);
    TCWindowButton *fullScreenButton() const { return m_fullScreenButton; }
    void setFullScreenButton(TCWindowButton *button);

    // ---- Delegate ----
    // Not owned; a destroyed delegate is no longer called.
    TCWindowDelegate *delegate() const { return m_delegateProxy.secondaryDelegate(); }
    void setDelegate(TCWindowDelegate *delegate) { m_delegateProxy.setSecondaryDelegate(delegate); }
    // Where a sheet of this window attaches (bottom-left window coordinates, y = its top edge).
    QRectF positionSheet(QWidget *sheet, const QRectF &proposed);

    // ---- Window ----
    QWidget *themeFrameView() { return this; }
    // The content view while it is in this window (a controller may move it elsewhere).
    QWidget *contentView() const;
    // Replaces the content view; the window takes ownership and deletes the previous one.
    void setContentView(QWidget *view);
    // Key and main are one thing here: the active window of an active application.
    bool drawsAsActive() const;
    QRectF contentRectForFrameRect(const QRectF &frame) const;
    bool isMovableByWindowBackground() const { return m_movableByWindowBackground; }
    void setMovableByWindowBackground(bool movable) { m_movableByWindowBackground = movable; }
    // True when the corners are cut by a window mask because nothing composites translucency.
    bool usesWindowMask() const { return !m_translucent; }

    // A window that is not resizable keeps its present size: the desktop is told so, and zooming
    // does nothing (its zoom button is greyed). Size the window before fixing it.
    bool isResizable() const { return m_resizable; }
    void setResizable(bool resizable);
    // A window that cannot be miniaturized has no minimize button and ignores every request to
    // shrink into the panel (title-bar double click included).
    bool isMiniaturizable() const { return m_miniaturizable; }
    void setMiniaturizable(bool miniaturizable);
    // What a modal dialog allows: no minimize and no zoom button, a fixed size.
    void makeDialogChrome();

    // Moving the window by dragging: positions are global (screen) points.
    void beginWindowDrag(const QPointF &globalPos);
    void continueWindowDrag(const QPointF &globalPos);
    void endWindowDrag();

    // Whether the desktop composites translucent windows; tests replace the probe.
    static bool hasCompositor();
    static void setCompositorProbe(std::function<bool()> probe);
    // Asks the display server on the start's side thread while the first window is built (two
    // round trips it would otherwise wait for); that window takes the answer, later ones ask
    // afresh.
    // The question is settled before the application object, and its connection, goes.
    static void prepareCompositorAnswer();
    static void settleCompositorAnswer();

    // The application's icon is given to the window once its first picture is on the screen: its
    // sizes are a few hundred kilobytes for the display server (several milliseconds), which would
    // otherwise come before the window or its first picture.
    void setVisible(bool visible) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Asks the delegate, then closes.
    void performClose();
    void performMiniaturize();
    void performZoom();
    void toggleFullScreen();
    void miniaturize();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Return presses the visible default button; Escape the visible cancel button, or, in a
    // modal window, the close button.
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void doInitialWindowSetup();
    qreal minimumTitlebarHeight() const;
    qreal defaultTrafficLightLeftMargin();
    qreal defaultTrafficLightSeparation();
    void layoutTrafficLightsAndContent();
    void createTitlebarView();
    TCWindowButton *windowButtonToLayout(int type, TCWindowButton *userProvided);
    void repositionContentView();
    void displayWindowAndTitlebar();
    void setupTrafficLightsTrackingArea() {}
    void windowWillEnterFullScreen();
    void windowWillExitFullScreen();
    void replaceButton(QPointer<TCWindowButton> &slot, TCWindowButton *button, int type, std::function<void()> action);
    void updateWindowShape();
    void raiseButtons();
    void giveIconAfterThisPicture();
    void updateZoomButton();
    bool pressKeyEquivalent(int key);

    qreal m_cachedTitleBarHeight = 0.0;
    bool m_setFullScreenButtonRightMargin = false;
    TCImageWindowDelegateProxy m_delegateProxy;
    QPointer<JXTitlebarContainer> m_titleBarContainer;

    qreal m_titleBarHeight = 0.0;
    qreal m_topButtonMoveUp = 0.0;
    QPointer<QWidget> m_titleBarView;
    bool m_centerFullScreenButton = false;
    bool m_centerTrafficLightButtons = false;
    bool m_verticalTrafficLightButtons = false;
    bool m_hideTitleBarInFullScreen = false;
    bool m_showsBaselineSeparator = false;
    qreal m_trafficLightButtonsLeftMargin = 0.0;
    qreal m_trafficLightButtonsTopMargin = 0.0;
    qreal m_fullScreenButtonRightMargin = 0.0;
    qreal m_fullScreenButtonTopMargin = 0.0;
    qreal m_trafficLightSeparation = 0.0;
    bool m_showsTitle = false;
    bool m_showsTitleInFullscreen = false;
    QPointer<TCWindowButton> m_closeButton;
    QPointer<TCWindowButton> m_minimizeButton;
    QPointer<TCWindowButton> m_zoomButton;
    QPointer<TCWindowButton> m_fullScreenButton;
    QColor m_titleBarStartColor;
    QColor m_titleBarEndColor;
    QColor m_baselineSeparatorColor;
    QColor m_titleTextColor;
    std::optional<TCShadow> m_titleTextShadow;
    QColor m_inactiveTitleBarStartColor;
    QColor m_inactiveTitleBarEndColor;
    QColor m_inactiveBaselineSeparatorColor;
    QColor m_inactiveTitleTextColor;
    std::optional<TCShadow> m_inactiveTitleTextShadow;
    TitleBarDrawingBlock m_titleBarDrawingBlock;

    QPointer<TCWindowButton> m_standardButtons[3];
    bool m_hiddenForSuppliedButton[3] = {false, false, false};
    QPointer<QWidget> m_contentView;
    QPointer<TCWindowEdge> m_edge;
    bool m_resizable = true;
    bool m_iconGiven = false;
    bool m_miniaturizable = true;
    bool m_translucent = false;
    bool m_movableByWindowBackground = false;
    bool m_dragging = false;
    QPointF m_dragStartGlobal;
    QPoint m_dragStartOrigin;
};
