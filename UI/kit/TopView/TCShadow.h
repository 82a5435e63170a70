#pragma once

#include <QColor>
#include <QPointF>

// A text shadow: colour, offset in points (y up, so a negative y falls below the text) and the
// radius over which it is blurred.
struct TCShadow
{
    QColor color;
    QPointF offset;
    qreal blurRadius = 0.0;

    bool operator==(const TCShadow &other) const = default;
};
