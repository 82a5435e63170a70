#include "Theme.h"

#include <QApplication>

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

} // namespace theme
