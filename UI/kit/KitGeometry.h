#pragma once

#include <QRect>
#include <QRectF>
#include <QWidget>

// Frames in this kit are given as a designer lays them out: origin at the lower left of the
// parent, y growing upwards. Qt measures from the top left. Every conversion goes through here.
namespace kit {

inline QRectF fromBottomLeft(const QRectF &frame, qreal parentHeight)
{
    return QRectF(frame.x(), parentHeight - frame.y() - frame.height(), frame.width(), frame.height());
}

inline QRect fromBottomLeft(const QRect &frame, int parentHeight)
{
    return QRect(frame.x(), parentHeight - frame.y() - frame.height(), frame.width(), frame.height());
}

// The same conversion back: a Qt rectangle as a bottom-left frame.
inline QRectF toBottomLeft(const QRectF &rect, qreal parentHeight)
{
    return fromBottomLeft(rect, parentHeight);
}

// Places a child widget at a bottom-left frame inside its parent (whose height must be final).
inline void setBottomLeftFrame(QWidget *widget, const QRectF &frame)
{
    const qreal parentHeight = widget->parentWidget() ? widget->parentWidget()->height() : frame.height();
    widget->setGeometry(fromBottomLeft(frame, parentHeight).toRect());
}

// A widget's frame read back in bottom-left terms.
inline QRectF bottomLeftFrame(const QWidget *widget)
{
    const qreal parentHeight = widget->parentWidget() ? widget->parentWidget()->height() : widget->height();
    return toBottomLeft(QRectF(widget->geometry()), parentHeight);
}

} // namespace kit
