#include "TitleBarDressing.h"

#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "TCImageWindow.h"
#include "Theme.h"

#include <QLabel>

QLabel *TitleBarDressing::addImage(TCImageWindow *window, const QRectF &frame, const QString &imageName)
{
    if (!window || !window->titleBarView())
        return nullptr;
    auto *image = new QLabel(window->titleBarView());
    image->setScaledContents(true);
    image->setPixmap(ImageLibrary::imageNamed(imageName));
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setBottomLeftFrame(image, frame);
    image->show();
    return image;
}

QLabel *TitleBarDressing::addTitle(TCImageWindow *window, const QRectF &frame, const QString &text,
                                   const QColor &color)
{
    if (!window || !window->titleBarView())
        return nullptr;
    auto *title = new QLabel(text, window->titleBarView());
    title->setFont(theme::helveticaLight(14));
    title->setAlignment(Qt::AlignCenter);
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, color);
    title->setPalette(palette);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setBottomLeftFrame(title, frame);
    title->show();
    return title;
}
