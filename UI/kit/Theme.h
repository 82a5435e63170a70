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

// Code-drawn text button: fill per colour type (0-5) and state, caption per type, borders.
QColor textButtonFill(quint64 colorType, int state); // state: 0 normal, 1 hover, 2 pressed, 3 disabled
QColor textButtonCaption(quint64 colorType);
inline QColor textButtonBlueBorder() { return rgb(36, 155, 246); }
inline QColor textButtonGreyBorder() { return rgb(128, 128, 128); }
// The teal twin of the text button that carries the "add" image.
QColor addViewFill(int state); // same state numbering as above
inline QColor addViewCaption() { return rgb(255, 255, 255); }
inline const char *addViewImage() { return "add@2x"; }

// Navigation tile: teal when selected, else see-through; caption white on the control surface.
inline QColor typeButtonSelectedFill() { return rgb(127, 207, 220); }
inline QColor typeButtonCaption() { return rgb(255, 255, 255); }
QColor controlSurface();

// Thin progress bar: grey track, blue bar.
inline QColor progressTrack() { return rgb(206, 209, 219); }
inline QColor progressBar() { return rgb(32, 144, 250); }


// ---- Tables, cells and scrollers ----

// ---- Windows ----

} // namespace theme
