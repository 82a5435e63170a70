#include "Theme.h"

#include <QApplication>
#include <QPalette>

namespace theme {

QFont pixelFont(const QString &family, qreal pixelSize, int weight)
{
    QFont font(family);
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setWeight(QFont::Weight(weight));
    return font;
}

QFont helveticaLight(qreal pixelSize)
{
    QFont font = pixelFont(QStringLiteral("Helvetica"), pixelSize, QFont::Light);
    font.setStyleName(QStringLiteral("Light"));
    return font;
}

QFont systemFont(qreal pixelSize)
{
    QFont font = QApplication::font();
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    return font;
}

QFont boldSystemFont(qreal pixelSize)
{
    QFont font = systemFont(pixelSize);
    font.setBold(true);
    return font;
}

// ---- Controls (text buttons, type buttons, progress bar, drop view) ----

QColor textButtonFill(quint64 colorType, int state)
{
    // Rows: colour type; columns: normal, hover, pressed, disabled.
    static const QColor table[6][4] = {
        {rgb(30, 130, 237), rgb(36, 155, 246), rgb(30, 131, 237), rgb(208, 208, 208)},
        {rgb(61, 73, 110), rgb(54, 65, 98), rgb(99, 109, 139), rgb(196, 200, 221)},
        {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(213, 212, 213, 0.8)},
        {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(213, 212, 213, 0.8)},
        {rgb(253, 253, 126), rgb(227, 227, 113), rgb(253, 253, 146), rgb(119, 127, 115)},
        {rgb(240, 149, 28), rgb(240, 149, 28), rgb(240, 149, 28), rgb(240, 149, 28)},
    };
    // Types past the palette look like the standard blue button.
    const quint64 row = colorType < 6 ? colorType : 0;
    return table[row][qBound(0, state, 3)];
}

QColor textButtonCaption(quint64 colorType)
{
    switch (colorType) {
    case 2:
        return rgb(36, 155, 246);
    case 3:
    case 4:
        return rgb(45, 45, 45, 0.8);
    default:
        return rgb(255, 255, 255);
    }
}

QColor addViewFill(int state)
{
    static const QColor fills[4] = {rgb(127, 207, 220), rgb(114, 185, 197), rgb(165, 221, 230),
                                    rgb(196, 200, 221)};
    return fills[qBound(0, state, 3)];
}

QColor controlSurface()
{
    return QApplication::palette().color(QPalette::Button);
}

} // namespace theme
