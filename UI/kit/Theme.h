#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// Colours, fonts and image names of the kit and the windows, in one place. Colours are given as
// 0-255 components; sizes are points, and a point is one logical pixel.
namespace theme {

inline QColor rgb(int red, int green, int blue, qreal alpha = 1.0)
{
    QColor color(red, green, blue);
    color.setAlphaF(alpha);
    return color;
}

// A font sized in pixels: point sizes would grow every text rectangle by a third on a 96-dpi screen.
QFont pixelFont(const QString &family, qreal pixelSize, int weight = QFont::Normal);
// "Helvetica Light", the face of most drawn titles and captions.
QFont helveticaLight(qreal pixelSize);
QFont systemFont(qreal pixelSize);
QFont boldSystemFont(qreal pixelSize);

// ---- Window chrome (title bar, window buttons, image buttons) ----

// ---- Controls (text buttons, type buttons, progress bar, drop view) ----

// ---- Tables, cells and scrollers ----

// ---- Windows ----

} // namespace theme
