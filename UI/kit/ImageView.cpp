#include "ImageView.h"

#include "ImageLibrary.h"

#include <QPainter>

ImageView::ImageView(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

void ImageView::setImageName(const QString &name)
{
    m_imageName = name;
    const QPixmap image = ImageLibrary::imageNamed(name);
    if (image.isNull())
        clear();
    else
        setPixmap(image);
    update();
}

void ImageView::paintEvent(QPaintEvent *)
{
    if (m_imageName.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    ImageLibrary::draw(&painter, m_imageName, QRectF(rect()));
}
