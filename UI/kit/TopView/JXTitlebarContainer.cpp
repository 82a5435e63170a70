#include "JXTitlebarContainer.h"

#include "TCImageWindow.h"

#include <QMouseEvent>

JXTitlebarContainer::JXTitlebarContainer(QWidget *parent)
    : QWidget(parent)
{
}

void JXTitlebarContainer::setFillView(QWidget *view)
{
    m_fillView = view;
    if (view)
        view->setGeometry(rect());
}

void JXTitlebarContainer::fitFillView()
{
    if (m_fillView && m_fillView->parentWidget() == this)
        m_fillView->setGeometry(rect());
}

void JXTitlebarContainer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitFillView();
}

void JXTitlebarContainer::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (auto *window = qobject_cast<TCImageWindow *>(this->window()))
        window->beginWindowDrag(event->globalPosition());
    event->accept();
}

void JXTitlebarContainer::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (auto *window = qobject_cast<TCImageWindow *>(this->window()))
        window->continueWindowDrag(event->globalPosition());
    event->accept();
}

void JXTitlebarContainer::mouseReleaseEvent(QMouseEvent *event)
{
    if (auto *window = qobject_cast<TCImageWindow *>(this->window()))
        window->endWindowDrag();
    event->accept();
}
