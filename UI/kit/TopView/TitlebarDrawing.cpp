#include "TitlebarDrawing.h"

#include "TCShadow.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QtMath>
#include <cmath>
#include <vector>

QPainterPath createClippingPathWithRectAndRadius(const QRectF &rect, qreal radius)
{
    // A bar lower than the radius (a collapsed title bar) keeps a closed outline.
    const qreal r = qMax<qreal>(0.0, qMin(radius, qMin(rect.width() / 2.0, rect.height())));
    QPainterPath path;
    path.moveTo(rect.left(), rect.bottom());
    path.lineTo(rect.left(), rect.top() + r);
    path.arcTo(QRectF(rect.left(), rect.top(), 2 * r, 2 * r), 180.0, -90.0);
    path.lineTo(rect.right() - r, rect.top());
    path.arcTo(QRectF(rect.right() - 2 * r, rect.top(), 2 * r, 2 * r), 90.0, -90.0);
    path.lineTo(rect.right(), rect.bottom());
    path.closeSubpath();
    return path;
}

QLinearGradient createGradientWithColors(const QColor &startColor, const QColor &endColor)
{
    QLinearGradient gradient;
    gradient.setColorAt(0.0, JX_CGColorCreate(startColor));
    gradient.setColorAt(1.0, JX_CGColorCreate(endColor));
    gradient.setSpread(QGradient::PadSpread);
    return gradient;
}

QColor JX_CGColorCreate(const QColor &color)
{
    // An invalid colour has no components to read; it becomes transparent black.
    return color.isValid() ? color.toRgb() : QColor(0, 0, 0, 0);
}

namespace {

// Three box-blur passes per direction approximate a Gaussian; premultiplied pixels blur cleanly.
void boxBlur(QImage &image, int radius)
{
    if (radius < 1)
        return;
    const int width = image.width();
    const int height = image.height();
    std::vector<QRgb> line(qMax(width, height));
    auto blurLine = [&](auto pixelAt, int length) {
        for (int i = 0; i < length; ++i)
            line[i] = *pixelAt(i);
        const int window = 2 * radius + 1;
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const QRgb p = line[i];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i <= radius; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            *pixelAt(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            blurLine([row](int i) { return row + i; }, width);
        }
        for (int x = 0; x < width; ++x)
            blurLine([&image, x](int i) { return reinterpret_cast<QRgb *>(image.scanLine(i)) + x; }, height);
    }
}

} // namespace

void drawTextWithShadow(QPainter &painter, const QString &text, const QRectF &frame, const QFont &font,
                        const QColor &color, const TCShadow &shadow)
{
    painter.save();
    painter.setFont(font);
    if (shadow.color.isValid() && shadow.color.alpha() > 0) {
        const qreal ratio = painter.device() ? qMax<qreal>(1.0, painter.device()->devicePixelRatioF()) : 1.0;
        // The blur spreads about half its radius on each side.
        const qreal margin = qCeil(shadow.blurRadius);
        const QRectF area = frame.adjusted(-margin, -margin, margin, margin);
        QImage image((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter shadowPainter(&image);
            shadowPainter.setFont(font);
            shadowPainter.setPen(shadow.color);
            shadowPainter.drawText(QRectF(QPointF(margin, margin), frame.size()), Qt::AlignLeft | Qt::AlignTop, text);
        }
        // A blur radius spreads like a Gaussian of half that deviation; three box passes of
        // this radius have the same deviation.
        const qreal sigma = shadow.blurRadius / 2.0 * ratio;
        boxBlur(image, qRound((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0));
        // Offsets are given y up; the painter's y grows downwards.
        painter.drawImage(area.topLeft() + QPointF(shadow.offset.x(), -shadow.offset.y()), image);
    }
    painter.setPen(color);
    painter.drawText(frame, Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}
