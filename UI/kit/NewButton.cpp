#include "NewButton.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace {

// One guard for every cell of the process: 0 lets a click through.
qint32 s_clickGuard = 0;

void resetClickGuard()
{
    s_clickGuard = 0;
}

} // namespace

int NewButton::clickGuard()
{
    return s_clickGuard;
}

void NewButton::changeVlaue(const QVariant &)
{
    resetClickGuard();
}

QRectF NewButton::iconImageRectForBounds(const QRectF &bounds) const
{
    if (!m_iconImageCell)
        return QRectF();
    return QRectF(bounds.x() + 5, bounds.y() + std::ceil((bounds.height() - 30) / 2), 40, 30);
}

QRectF NewButton::imageRectForBounds(const QRectF &bounds) const
{
    if (!m_label)
        return QRectF();
    const qreal x = bounds.x() + 10 + (m_iconImageCell ? 25 : 0);
    return QRectF(x, bounds.y() + std::ceil((bounds.height() - 16) / 2), 800, 16);
}

void NewButton::drawWithFrame(QPainter &painter, const QRectF &cellFrame, QWidget *controlView)
{
    if (m_iconImageCell && !m_iconImageCell->image.isNull()) {
        const QRectF box = iconImageRectForBounds(cellFrame);
        // Scaled down to fit, never up, and centred, as an image cell shows its image.
        QSizeF size = m_iconImageCell->image.deviceIndependentSize();
        if (size.width() > box.width() || size.height() > box.height())
            size.scale(box.size(), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), size);
        target.moveCenter(box.center());
        painter.drawPixmap(target, m_iconImageCell->image, QRectF());
    }
    if (m_label) {
        m_label->editable = false;
        painter.save();
        painter.setFont(m_label->font);
        QColor color = m_label->color;
        if (!color.isValid())
            color = controlView ? controlView->palette().color(QPalette::WindowText) : QColor(Qt::black);
        painter.setPen(color);
        // A text cell keeps its text two points in from its left edge.
        painter.drawText(imageRectForBounds(cellFrame).adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         m_label->text);
        painter.restore();
    }
}

int NewButton::hitTestForEvent(const QPointF &windowPos, const QRectF &cellFrame, const QWidget *controlView)
{
    const QRectF hotZone(cellFrame.x(), cellFrame.y(), 15, 30);
    QPointF point = windowPos;
    if (controlView && controlView->window())
        point = controlView->mapFrom(controlView->window(), windowPos);
    // Left and top edges belong to the zone, right and bottom edges do not.
    const bool inside = point.x() >= hotZone.left() && point.x() < hotZone.left() + hotZone.width()
        && point.y() >= hotZone.top() && point.y() < hotZone.top() + hotZone.height();
    if (!inside || s_clickGuard != 0)
        return HitNone;
    int answer = HitContentArea;
    if (m_delegate)
        m_delegate->clickButtonAction(this);
    answer |= HitTrackableArea;
    ++s_clickGuard;
    // The reset must not depend on this cell still existing: a cell destroyed within the 0.2
    // seconds would otherwise leave every cell of the process deaf for good.
    QTimer::singleShot(kClickGuardMs, QCoreApplication::instance(), &resetClickGuard);
    return answer;
}
