#include "CustemImageButton.h"

#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "Theme.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

CustemImageButton::CustemImageButton(QWidget *parent)
    : QWidget(parent)
{
    updateFocusPolicy();
}

CustemImageButton::CustemImageButton(const QRectF &frame, QWidget *parent)
    : CustemImageButton(parent)
{
    kit::setBottomLeftFrame(this, frame);
}

void CustemImageButton::setTextWithName(const QString &title, const QFont &font, quint64 colorType,
                                        const QString &identifier)
{
    m_myColorType = colorType;
    storeCaption(title, font);
    // The owner finds the button's image child by this identifier; the image itself is empty.
    addIdentifiedImage(QString(), rect(), identifier);
}

void CustemImageButton::storeCaption(const QString &title, const QFont &font)
{
    m_titleFont = font;
    m_titleStr = title;
    m_isBeginDraw = true;
    update();
}

QWidget *CustemImageButton::addIdentifiedImage(const QString &imageName, const QRect &geometry,
                                               const QString &identifier)
{
    auto *image = new QLabel(this);
    image->setObjectName(identifier);
    image->setGeometry(geometry);
    image->setScaledContents(true);
    const QPixmap pixmap = ImageLibrary::imageNamed(imageName);
    if (!pixmap.isNull())
        image->setPixmap(pixmap);
    // Clicks over the image are the button's.
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    image->show();
    return image;
}

void CustemImageButton::setButtonEnabled(bool enabled)
{
    m_isEnabled = enabled;
    m_isDisabled = enabled;
    m_isFocus = enabled;
    updateFocusPolicy();
    update();
}

void CustemImageButton::updateFocusPolicy()
{
    setFocusPolicy(takesClicks() ? Qt::TabFocus : Qt::NoFocus);
    if (!takesClicks() && hasFocus())
        clearFocus();
}

bool CustemImageButton::performClick()
{
    if (!takesClicks() || !m_delegate || !m_buttonAction)
        return false;
    // The action may close the window and with it this button: nothing is touched after it.
    const Action action = m_buttonAction;
    action();
    return true;
}

float CustemImageButton::getStringWidthWith(const QString &text, const QFont &font, const QSizeF &size)
{
    if (text.isNull())
        return 0.0f;
    const QFontMetricsF metrics(font);
    const QRectF bounds(QPointF(0, 0), size);
    return float(metrics.boundingRect(bounds, Qt::TextWordWrap, text).width());
}

CustemImageButton::DrawState CustemImageButton::drawState() const
{
    if (!takesClicks())
        return Disabled;
    if (m_isTracking)
        return Pressed;
    if (m_isFocus)
        return Hover;
    return Normal;
}

qreal CustemImageButton::cornerRadius() const
{
    return height() < 35 ? 14.0 : 18.0;
}

QColor CustemImageButton::fillColor() const
{
    return theme::textButtonFill(m_myColorType, drawState());
}

QColor CustemImageButton::captionColor() const
{
    return theme::textButtonCaption(m_myColorType);
}

QRectF CustemImageButton::captionRect() const
{
    const QSizeF size = QSizeF(this->size());
    const float width = getStringWidthWith(m_titleStr, m_titleFont, size);
    const qreal lineHeight = m_titleFont.pixelSize() > 15 || m_titleFont.pointSizeF() > 15 ? 22.0 : 20.0;
    // Centred both ways; the extra 5 keeps the last glyph from being clipped.
    return QRectF((size.width() - width) / 2.0, (size.height() - lineHeight) / 2.0, width + 5.0, lineHeight);
}

void CustemImageButton::drawBorder(QPainter &painter, const QRectF &shape) const
{
    // The white types carry an outline: blue along the shape, or a grey near-square frame.
    if (m_myColorType != 2 && m_myColorType != 3)
        return;
    const bool blue = m_myColorType == 2;
    const qreal radius = blue ? cornerRadius() : 3.0;
    painter.setPen(QPen(blue ? theme::textButtonBlueBorder() : theme::textButtonGreyBorder(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(shape, radius, radius);
}

void CustemImageButton::drawFocusRing(QPainter &painter, const QRectF &shape) const
{
    // Inside the edge, where it shows on a white and on a coloured fill alike.
    const qreal inset = theme::kFocusRingWidth;
    const QRectF ring = shape.adjusted(inset, inset, -inset, -inset);
    const qreal radius = qMax<qreal>(0.0, cornerRadius() - inset);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(theme::focusRingColor(fillColor()), theme::kFocusRingWidth));
    painter.drawRoundedRect(ring, radius, radius);
    painter.restore();
}

void CustemImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The shape always comes from the whole button: a partial repaint clips, it does not reshape.
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius(), cornerRadius());
    painter.fillPath(path, fillColor());
    drawBorder(painter, shape);
    if (hasFocus())
        drawFocusRing(painter, shape);
    if (!m_isBeginDraw)
        return;
    painter.setFont(m_titleFont);
    painter.setPen(captionColor());
    painter.drawText(captionRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_titleStr);
}

void CustemImageButton::enterEvent(QEnterEvent *)
{
    if (!m_isEnabled)
        return;
    m_isFocus = true;
    update();
}

void CustemImageButton::leaveEvent(QEvent *)
{
    m_isFocus = false;
    update();
}

void CustemImageButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // A left press is the button's in every state: a disabled button swallows it so nothing behind
    // the button reacts, and an enabled one keeps it so the release comes back here.
    event->accept();
    if (m_isDisabled) {
        m_pressStarted = true;
        showPress();
    }
}

void CustemImageButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressStarted) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // Dragged off, the button lets go of its pressed look, and takes it back when the pointer
    // returns, as a push button does.
    const bool inside = rect().contains(event->position().toPoint());
    const bool pressedLook = inside && m_isEnabled;
    if (pressedLook != m_isTracking) {
        m_isTracking = pressedLook;
        update();
    }
    event->accept();
}

void CustemImageButton::showPress()
{
    m_isTracking = m_isEnabled;
    update();
}

void CustemImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    const bool fromHere = m_pressStarted;
    m_pressStarted = false;
    m_isTracking = false;
    update();
    // Only a press that began here and ends over the button is a click: dragging off cancels it.
    if (fromHere && rect().contains(event->position().toPoint()))
        performClick();
}

void CustemImageButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!takesClicks())
            break;
        if (!event->isAutoRepeat()) {
            m_spaceHeld = true;
            m_isTracking = true;
            update();
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!takesClicks() || event->isAutoRepeat())
            break;
        event->accept();
        performClick();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void CustemImageButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_spaceHeld) {
        m_spaceHeld = false;
        m_isTracking = false;
        update();
        event->accept();
        performClick();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void CustemImageButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void CustemImageButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // Focus gone in the middle of a Space press: no click comes of it.
    if (m_spaceHeld) {
        m_spaceHeld = false;
        m_isTracking = false;
    }
    update();
}
