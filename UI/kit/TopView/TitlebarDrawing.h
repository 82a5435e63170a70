#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRectF>

// Drawing helpers of the title bar.

// The outline of a title bar in painter coordinates (y down): the two upper corners are rounded
// with the radius, the lower ones square.
QPainterPath createClippingPathWithRectAndRadius(const QRectF &rect, qreal radius);

// A two-stop gradient from the start colour (0.0) to the end colour (1.0); the caller sets its
// start and final points.
QLinearGradient createGradientWithColors(const QColor &startColor, const QColor &endColor);

// The colour as plain RGB components, whatever colour model it was given in.
QColor JX_CGColorCreate(const QColor &color);

struct TCShadow;
class QFont;
class QPainter;
class QString;

// Draws one line of text into the frame, with its shadow (blurred and offset) beneath it.
void drawTextWithShadow(QPainter &painter, const QString &text, const QRectF &frame, const QFont &font,
                        const QColor &color, const TCShadow &shadow);
