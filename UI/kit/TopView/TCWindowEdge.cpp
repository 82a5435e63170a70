#include "TCWindowEdge.h"

#include "Theme.h"
#include "TitlebarDrawing.h"

#include <QEvent>
#include <QPainter>

TCWindowEdge::TCWindowEdge(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window->rect());
    window->installEventFilter(this);
}

bool TCWindowEdge::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TCWindowEdge::paintEvent(QPaintEvent *)
{
    const QWidget *window = parentWidget();
    // Maximised or full screen, the window meets the screen's edges: no line.
    if (window && (window->isMaximized() || window->isFullScreen()))
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(theme::windowEdgeColor(), 1.0));
    painter.setBrush(Qt::NoBrush);
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawPath(createClippingPathWithRectAndRadius(outline, theme::kTitleBarCornerRadius - 0.5));
}
