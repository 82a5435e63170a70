#include "AddView.h"

#include "KitGeometry.h"
#include "Theme.h"


AddView::AddView(QWidget *parent)
    : CustemImageButton(parent)
{
}

AddView::AddView(const QRectF &frame, QWidget *parent)
    : CustemImageButton(frame, parent)
{
}

void AddView::setTextWithName(const QString &title, const QFont &font, const QString &identifier)
{
    storeCaption(title, font);
    const QRectF imageFrame(25, 9, 18, 18);
    addIdentifiedImage(QString::fromLatin1(theme::addViewImage()),
                       kit::fromBottomLeft(imageFrame, height()).toRect(), identifier);
}

void AddView::setButtonEnabled(bool enabled)
{
    m_isEnabled = enabled;
    m_isDisabled = enabled;
    updateFocusPolicy();
    update();
}

qreal AddView::cornerRadius() const
{
    return height() < 35 ? 15.0 : 18.0;
}

QColor AddView::fillColor() const
{
    return theme::addViewFill(drawState());
}

QColor AddView::captionColor() const
{
    return theme::addViewCaption();
}

QRectF AddView::captionRect() const
{
    const QSizeF size = QSizeF(this->size());
    const float width = getStringWidthWith(m_titleStr, m_titleFont, size);
    // Shifted right of centre to make room for the image, and one point below the middle.
    return QRectF((size.width() - width) / 2.0 + 10.0, (size.height() - 20.0) / 2.0 + 1.0, width + 5.0, 20.0);
}

void AddView::showPress()
{
    // The pressed look is taken back as soon as the press has been handed on.
    CustemImageButton::showPress();
    m_isTracking = false;
    update();
}

void AddView::drawBorder(QPainter &, const QRectF &) const
{
}
