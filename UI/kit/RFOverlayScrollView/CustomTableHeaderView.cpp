#include "CustomTableHeaderView.h"

#include "Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

CustomTableHeaderView::CustomTableHeaderView(const QString &title)
    : TableHeaderCell(title)
{
}

void CustomTableHeaderView::drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view)
{
    drawWithFrame(painter, frame, false, view);
}

void CustomTableHeaderView::highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view)
{
    drawWithFrame(painter, frame, flag, view);
}

QRectF CustomTableHeaderView::interiorRect(const QRectF &frame)
{
    QRectF rect = frame;
    rect.setHeight(qMax<qreal>(0, frame.height() - 1));
    return rect;
}

void CustomTableHeaderView::drawWithFrame(QPainter *painter, const QRectF &frame, bool highlighted, QWidget *view)
{
    const QRectF r = interiorRect(frame);
    painter->fillRect(r, theme::plainHeaderFill());
    if (highlighted)
        painter->fillRect(r, theme::plainHeaderPressedShade());

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPainterPath edges;
    edges.moveTo(r.right(), r.top());
    edges.lineTo(r.right(), r.bottom());
    edges.moveTo(frame.left(), frame.bottom());
    edges.lineTo(frame.right(), frame.bottom());
    edges.moveTo(r.left(), r.top());
    edges.lineTo(r.right(), r.top());
    painter->strokePath(edges, QPen(theme::plainHeaderLine(), theme::kPlainHeaderLineWidth));
    painter->restore();

    // The title in the cell's own font and colour, falling back to the view's.
    const QFont font = m_font == QFont() && view ? view->font() : m_font;
    const QColor color = m_textColor.isValid() ? m_textColor : (view ? view->palette().color(QPalette::WindowText)
                                                                     : QColor(Qt::black));
    painter->save();
    painter->setFont(font);
    painter->setPen(color);
    painter->setClipRect(r, Qt::IntersectClip);
    painter->drawText(r.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_title);
    painter->restore();
}
