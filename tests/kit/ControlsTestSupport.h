#pragma once

#include "common/TestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

// Event and picture helpers shared by the control suites.
namespace controls {

// The widget alone on a see-through image (grab() would put a window background behind it);
// with a region, only that part is painted, at its own place.
inline QImage snapshot(QWidget *widget, const QRegion &region = QRegion())
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QPoint offset = region.isEmpty() ? QPoint() : region.boundingRect().topLeft();
    widget->render(&image, offset, region, QWidget::DrawChildren);
    return image;
}

// A press or release in the middle of the widget (or at pos), sent as the window system would.
inline void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton,
                      QPointF pos = QPointF(-1, -1))
{
    if (pos.x() < 0)
        pos = QPointF(widget->width() / 2.0, widget->height() / 2.0);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void sendEnter(QWidget *widget)
{
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &event);
}

inline void sendLeave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

// Puts the add view's image into the temporary bundle the test runs with.
inline bool installAddImage(const testsupport::TempBundle &bundle)
{
    QFile svg(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/images/add@2x.svg"));
    if (!svg.open(QIODevice::ReadOnly))
        return false;
    bundle.writeResource(QStringLiteral("add@2x.svg"), svg.readAll());
    return true;
}

} // namespace controls
