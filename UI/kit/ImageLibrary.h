#pragma once

#include <QHash>
#include <QMutex>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Images by name from the main bundle's Resources folder ("name.svg", else "name.png"), cached.
// A missing name, or the empty name, gives a null image without complaint.
class ImageLibrary
{
public:
    // At the image's own size in points, rendered for the screen's pixel ratio.
    static QPixmap imageNamed(const QString &name);
    // The image's own size in points; empty for a missing image.
    static QSize sizeOfImage(const QString &name);
    // Draws the image scaled into the rectangle; SVG images stay crisp at any size.
    static void draw(QPainter *painter, const QString &name, const QRectF &target);
    static void clearCache();
    // The primary screen's device pixel ratio (at least 1): images drawn in code use it too.
    static qreal screenRatio();

private:
    static QString filePath(const QString &name);
};
