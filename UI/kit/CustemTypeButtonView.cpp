#include "CustemTypeButtonView.h"

#include "CustemTypeButtonViewDelegate.h"
#include "KitGeometry.h"
#include "Theme.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

CustemTypeButtonView::CustemTypeButtonView(QWidget *parent)
    : QWidget(parent)
{
}

void CustemTypeButtonView::loadView()
{
    m_iconView = new QLabel(this);
    m_iconView->setGeometry(kit::fromBottomLeft(QRect(24, 10, 26, 26), height()));
    m_iconView->setScaledContents(true);
    m_iconView->setPixmap(m_iconImage);
    m_iconView->show();

    m_nameField = new QLabel(m_nameStr, this);
    m_nameField->setGeometry(kit::fromBottomLeft(QRect(66, 15, 150, 17), height()));
    // The longer captions of the later tiles get the smaller size.
    m_nameField->setFont(theme::helveticaLight(m_butTag > 2 ? 13 : 14));
    m_nameField->setTextInteractionFlags(Qt::NoTextInteraction);
    m_nameField->setAutoFillBackground(true);
    QPalette palette = m_nameField->palette();
    palette.setColor(QPalette::Window, theme::controlSurface());
    palette.setColor(QPalette::WindowText, theme::typeButtonCaption());
    m_nameField->setPalette(palette);
    // The tile takes every click, whichever child it lands on.
    m_iconView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_nameField->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_nameField->show();
}

void CustemTypeButtonView::buttonClick(bool click)
{
    m_isClick = click;
}

void CustemTypeButtonView::paintEvent(QPaintEvent *)
{
    if (!m_isClick)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), theme::typeButtonSelectedFill());
}

void CustemTypeButtonView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_delegate)
        m_delegate->mouseClickAction(m_butTag);
}
