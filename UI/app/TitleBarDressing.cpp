#include "TitleBarDressing.h"

#include "TCImageWindow.h"
#include "Theme.h"
#include "WindowPaneBuilder.h"

#include <QLabel>

QLabel *TitleBarDressing::addImage(TCImageWindow *window, const QRectF &frame, const QString &imageName)
{
    if (!window || !window->titleBarView())
        return nullptr;
    QLabel *image = WindowPaneBuilder::makeImage(window->titleBarView(), frame, imageName);
    image->show();
    return image;
}

QLabel *TitleBarDressing::addTitle(TCImageWindow *window, const QRectF &frame, const QString &text,
                                   const QColor &color)
{
    if (!window || !window->titleBarView())
        return nullptr;
    QLabel *title = WindowPaneBuilder::makeLabel(window->titleBarView(), frame, text, theme::helveticaLight(14),
                                                 color, Qt::AlignCenter);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    title->show();
    return title;
}
