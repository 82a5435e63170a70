#pragma once

#include <QHash>
#include <QIcon>
#include <QMutex>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

// Images by name from the main bundle's Resources folder ("name.svg", else "name.png"), cached.
// A missing name, or the empty name, gives a null image without complaint.
class ImageLibrary
{
public:
    // At the image's own size in points, rendered for the given device pixel ratio (by default
    // the highest of the screens, so that it is sharp on whichever screen it is drawn).
    static QPixmap imageNamed(const QString &name, qreal devicePixelRatio = 0.0);
    // The image's own size in points; empty for a missing image.
    static QSize sizeOfImage(const QString &name);
    // Draws the image scaled into the rectangle; SVG images stay crisp at any size.
    static void draw(QPainter *painter, const QString &name, const QRectF &target);
    static void clearCache();
    // The highest device pixel ratio among the screens (at least 1): images drawn in code use it
    // too, and are scaled down smoothly on screens of a lower ratio.
    static qreal screenRatio();
    // The application's icon at the sizes desktops ask for; empty when the bundle lacks it.
    static QIcon applicationIcon();
    // Starts drawing that icon on the start's side thread (StartUpQueue), so that the first
    // window need not wait for it. Does nothing before the GUI application object exists.
    static void prepareApplicationIcon();
    // Starts drawing these SVG images as imageNamed() would, on the start's side thread, so that a
    // window built meanwhile finds them drawn (and their documents parsed for draw()). Does
    // nothing before the GUI application object exists; an image asked for before it is drawn
    // there is drawn on request. finishPreparing() waits for the whole lot, before the
    // application object goes.
    static void prepareImages(const QStringList &names);
    static void finishPreparing();

private:
    static QString filePath(const QString &name);
};
