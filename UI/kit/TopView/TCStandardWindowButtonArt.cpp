#include "TCStandardWindowButtonArt.h"

#include "ImageLibrary.h"
#include "TCWindowButton.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QColor discColor(TCStandardWindowButtonArt::Type type)
{
    switch (type) {
    case TCStandardWindowButtonArt::Close:
        return theme::closeButtonColor();
    case TCStandardWindowButtonArt::Minimize:
        return theme::minimizeButtonColor();
    case TCStandardWindowButtonArt::Zoom:
        break;
    }
    return theme::zoomButtonColor();
}

// The symbol in a unit square centred on the disc: a cross, a bar or a plus.
void drawSymbol(QPainter &painter, TCStandardWindowButtonArt::Type type, qreal diameter)
{
    const qreal c = diameter / 2.0;
    const qreal arm = diameter * 0.22;
    QPen pen(theme::windowButtonSymbolColor(), qMax<qreal>(1.0, diameter / 12.0), Qt::SolidLine,
             Qt::RoundCap);
    painter.setPen(pen);
    switch (type) {
    case TCStandardWindowButtonArt::Close:
        painter.drawLine(QPointF(c - arm, c - arm), QPointF(c + arm, c + arm));
        painter.drawLine(QPointF(c - arm, c + arm), QPointF(c + arm, c - arm));
        break;
    case TCStandardWindowButtonArt::Minimize:
        painter.drawLine(QPointF(c - arm * 1.25, c), QPointF(c + arm * 1.25, c));
        break;
    case TCStandardWindowButtonArt::Zoom:
        painter.drawLine(QPointF(c - arm * 1.25, c), QPointF(c + arm * 1.25, c));
        painter.drawLine(QPointF(c, c - arm * 1.25), QPointF(c, c + arm * 1.25));
        break;
    }
}

} // namespace

QPixmap TCStandardWindowButtonArt::image(Type type, Look look, int diameter, qreal devicePixelRatio)
{
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatio);
    QPixmap pixmap(QSize(diameter, diameter) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QColor fill = discColor(type);
    if (look == ActiveNotKey)
        fill = theme::windowButtonNotKeyColor();
    else if (look == Inactive)
        fill = theme::windowButtonDisabledColor();
    else if (look == Pressed)
        fill = fill.darker(theme::kWindowButtonPressedDarker);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(0, 0, diameter, diameter).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(theme::windowButtonRimColor(), 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(disc);
    if (look == Rollover || look == Pressed)
        drawSymbol(painter, type, diameter);
    return pixmap;
}

TCWindowButton *TCStandardWindowButtonArt::makeButton(Type type, const QString &groupIdentifier,
                                                      QWidget *parent)
{
    const int diameter = theme::kWindowButtonDiameter;
    const qreal ratio = ImageLibrary::screenRatio();
    auto *button = new TCWindowButton(QSize(diameter, diameter), groupIdentifier, parent);
    button->setLookSource([type, diameter, ratio](TCWindowButton::Look look) {
        return image(type, look, diameter, ratio);
    });
    button->updateImage();
    return button;
}
