#include "TCImageButton.h"

#include "ImageLibrary.h"

#include <QMouseEvent>
#include <QPainter>

TCImageButton::TCImageButton(QWidget *parent)
    : QPushButton(parent)
{
}

TCImageButton::TCImageButton(const QRect &frame, QWidget *parent)
    : QPushButton(parent)
{
    setGeometry(frame);
}

void TCImageButton::setImageFromFileNormalName(const QString &normalName, const QString &activeName,
                                               const QString &hoverName, const QString &disableName)
{
    m_normalImage = ImageLibrary::imageNamed(normalName);
    m_activeImage = ImageLibrary::imageNamed(activeName);
    m_hoverImage = ImageLibrary::imageNamed(hoverName);
    m_disableImage = ImageLibrary::imageNamed(disableName);
    const QSize size = ImageLibrary::sizeOfImage(normalName);
    m_dstRect = QRectF(QPointF(0, 0), QSizeF(size));
    m_srcRect = m_dstRect;
    resize(size);
    update();
}

QPixmap TCImageButton::chosenImage() const
{
    if (!isEnabled())
        return m_disableImage;
    if (m_isTracking)
        return m_activeImage;
    if (m_isFocus)
        return m_hoverImage;
    return m_normalImage;
}

void TCImageButton::paintEvent(QPaintEvent *event)
{
    if (m_normalImage.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    const QPixmap image = chosenImage();
    if (image.isNull())
        return;
    // The part of the image the size of the button, whatever the image's own size; the source
    // rectangle is in the image's device pixels.
    const qreal ratio = image.devicePixelRatio();
    const QRectF source(m_srcRect.topLeft() * ratio, m_srcRect.size() * ratio);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(m_dstRect, image, source.intersected(QRectF(image.rect())));
}

void TCImageButton::mouseEntered()
{
    if (!isEnabled())
        return;
    m_isFocus = true;
    repaint();
}

void TCImageButton::mouseExited()
{
    m_isFocus = false;
    repaint();
}

void TCImageButton::mousePressEvent(QMouseEvent *event)
{
    if (isEnabled()) {
        m_isTracking = true;
        repaint();
    }
    QPushButton::mousePressEvent(event);
}

void TCImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
    m_isTracking = false;
    repaint();
}

// A button disabled in the middle of a press never hears of the release; it must not come back
// drawn as pressed.
void TCImageButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_isTracking) {
        m_isTracking = false;
        update();
    }
}

void TCImageButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    mouseEntered();
}

void TCImageButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    mouseExited();
}
