#include "JXTitlebarView.h"

#include "KitGeometry.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDoubleClick.h"
#include "TitlebarDrawing.h"
#include "platform/UserDefaults.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

JXTitlebarView::JXTitlebarView(QWidget *parent)
    : QWidget(parent)
{
}

TCImageWindow *JXTitlebarView::imageWindow() const
{
    return qobject_cast<TCImageWindow *>(window());
}

void JXTitlebarView::paintEvent(QPaintEvent *)
{
    const TCImageWindow *window = imageWindow();
    const bool active = window ? window->drawsAsActive() : isActiveWindow();
    const QRectF bar(rect());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPainterPath clip = createClippingPathWithRectAndRadius(bar, theme::kTitleBarCornerRadius);
    if (window && window->titleBarDrawingBlock()) {
        window->titleBarDrawingBlock()(painter, active, clip, bar);
    } else {
        painter.setClipPath(clip);
        QLinearGradient fill = createGradientWithColors(theme::titleBarFillColor(), theme::titleBarFillColor());
        fill.setStart(bar.center().x(), bar.bottom());
        fill.setFinalStop(bar.center().x(), bar.top());
        painter.fillRect(bar, fill);
    }

    if (!window || !window->showsTitle())
        return;
    if (window->isFullScreen() && !window->showsTitleInFullscreen())
        return;
    QRectF frame;
    TitleTextAttributes attributes;
    getTitleFrame(&frame, &attributes, window);
    drawTextWithShadow(painter, window->title(), frame, attributes.font, attributes.color, attributes.shadow);
}

void JXTitlebarView::getTitleFrame(QRectF *frame, TitleTextAttributes *attributes, const TCImageWindow *window) const
{
    const bool active = window && window->drawsAsActive();

    TitleTextAttributes chosen;
    const std::optional<TCShadow> &shadow = !window ? std::nullopt
                                            : active ? window->titleTextShadow()
                                                     : window->inactiveTitleTextShadow();
    chosen.shadow = shadow.value_or(TCShadow{theme::defaultTitleShadowColor(), QPointF(0.0, -1.0),
                                             theme::kDefaultTitleShadowBlur});
    const QColor color = !window ? QColor() : active ? window->titleTextColor() : window->inactiveTitleTextColor();
    chosen.color = color.isValid() ? color : theme::defaultTitleTextColor();
    chosen.font = theme::systemFont(theme::kTitleFontSize);

    if (attributes)
        *attributes = chosen;
    if (!frame)
        return;

    const QString title = window ? window->title() : QString();
    const QSizeF size = QFontMetricsF(chosen.font).size(Qt::TextSingleLine, title);
    // The title is centred; the kit's windows carry no document buttons to make room for.
    const qreal x = width() / 2.0 - size.width() / 2.0;
    const qreal y = height() - size.height() - theme::kTitleTopGap;
    *frame = kit::fromBottomLeft(QRectF(QPointF(x, y), size), height());
}

void JXTitlebarView::mouseUp(int clickCount)
{
    if (clickCount != 2)
        return;
    // The person's own choice for this program comes first, then the desktop's.
    TitleBarDoubleClick::Action action = TitleBarDoubleClick::current().action;
    if (UserDefaults::standard().boolForKey(QStringLiteral("AppleMiniaturizeOnDoubleClick")))
        action = TitleBarDoubleClick::Action::Minimize;
    TCImageWindow *window = imageWindow();
    switch (action) {
    case TitleBarDoubleClick::Action::Minimize:
        if (window)
            window->miniaturize();
        else
            this->window()->showMinimized();
        break;
    case TitleBarDoubleClick::Action::Zoom:
        // A window of fixed size does not zoom (performZoom leaves it as it is).
        if (window)
            window->performZoom();
        break;
    case TitleBarDoubleClick::Action::Nothing:
        break;
    }
}

// Presses and releases travel on to the container, which drags the window; this view only
// counts the clicks.
void JXTitlebarView::mousePressEvent(QMouseEvent *event)
{
    m_clickCount = 1;
    event->ignore();
}

void JXTitlebarView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_clickCount = 2;
    event->ignore();
}

void JXTitlebarView::mouseReleaseEvent(QMouseEvent *event)
{
    const int clickCount = m_clickCount;
    m_clickCount = 0;
    mouseUp(clickCount);
    event->ignore();
}
