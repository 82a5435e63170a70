#include "TCImageButton.h"

#include "ImageLibrary.h"
#include "Theme.h"

#include <QMouseEvent>
#include <QPainter>

TCImageButton::TCImageButton(QWidget *parent)
    : QPushButton(parent)
{
    // Focus from the keyboard only: a click leaves no focus ring behind.
    setFocusPolicy(Qt::TabFocus);
}

TCImageButton::TCImageButton(const QRect &frame, QWidget *parent) : TCImageButton(parent)
{
    setGeometry(frame);
}

void TCImageButton::setImageFromFileNormalName(const QString &normalName, const QString &activeName,
                                               const QString &hoverName, const QString &disableName)
{
    m_imageNames[Normal] = normalName;
    m_imageNames[Active] = activeName;
    m_imageNames[Hover] = hoverName;
    m_imageNames[Disabled] = disableName;
    m_normalImage = ImageLibrary::imageNamed(normalName);
    const QSize size = ImageLibrary::sizeOfImage(normalName);
    m_dstRect = QRectF(QPointF(0, 0), QSizeF(size));
    m_srcRect = m_dstRect;
    resize(size);
    update();
}

TCImageButton::State TCImageButton::chosenState() const
{
    if (!isEnabled())
        return Disabled;
    // Held down by the pointer, or by Space while the button has the keyboard.
    if (m_isTracking || isDown())
        return Active;
    if (m_isFocus)
        return Hover;
    return Normal;
}

QPixmap TCImageButton::imageFor(State state) const
{
    return state == Normal ? m_normalImage : ImageLibrary::imageNamed(m_imageNames[state]);
}

QPixmap TCImageButton::chosenImage() const
{
    return imageFor(chosenState());
}

void TCImageButton::paintEvent(QPaintEvent *event)
{
    if (m_normalImage.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPixmap image = chosenImage();
    if (image.isNull())
        return;
    // On a screen of another scale than the image was made for, it is made again for this one.
    if (!qFuzzyCompare(image.devicePixelRatio(), devicePixelRatioF())) {
        const QPixmap sharp = ImageLibrary::imageNamed(m_imageNames[chosenState()], devicePixelRatioF());
        if (!sharp.isNull())
            image = sharp;
    }
    // The part of the image the size of the button, whatever the image's own size; the source
    // rectangle is in the image's device pixels.
    const qreal ratio = image.devicePixelRatio();
    const QRectF source(m_srcRect.topLeft() * ratio, m_srcRect.size() * ratio);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(m_dstRect, image, source.intersected(QRectF(image.rect())));
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(theme::focusRingColor(), theme::kFocusRingWidth));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = theme::kFocusRingWidth / 2.0;
        painter.drawRoundedRect(m_dstRect.adjusted(inset, inset, -inset, -inset), 4.0, 4.0);
    }
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
    // Only the left button presses the button; the others never show it pressed.
    if (isEnabled() && event->button() == Qt::LeftButton) {
        m_isTracking = true;
        repaint();
    }
    QPushButton::mousePressEvent(event);
}

void TCImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
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
