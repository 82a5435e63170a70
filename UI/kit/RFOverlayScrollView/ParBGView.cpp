#include "ParBGView.h"

#include "Theme.h"

#include <QPainter>

ParBGView::ParBGView(QWidget *parent)
    : QWidget(parent)
{
}

void ParBGView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(theme::framedPanelStroke(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
