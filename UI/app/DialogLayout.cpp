#include "DialogLayout.h"

#include "WindowPaneBuilder.h"

#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "VQHandButton.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

void DialogLayout::setContentHeight(TCImageWindow *window, int contentHeight)
{
    window->resize(window->width(), contentHeight + qRound(window->titleBarHeight()));
}

void DialogLayout::center(QWidget *window)
{
    WindowPaneBuilder::center(window);
}

QWidget *DialogLayout::makeContentView(TCImageWindow *window, int contentHeight)
{
    auto *content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette palette = content->palette();
    palette.setColor(QPalette::Window, theme::dialogSurface());
    content->setPalette(palette);
    content->resize(window->width(), contentHeight);
    window->setContentView(content);
    return content;
}

QLabel *DialogLayout::addImage(QWidget *parent, const QRectF &frame, const QString &imageName)
{
    QLabel *image = WindowPaneBuilder::makeImage(parent, frame, imageName);
    image->show();
    return image;
}

QLabel *DialogLayout::addText(QWidget *parent, const QRectF &frame, const QString &text, const QFont &font,
                              const QColor &color, Qt::Alignment alignment)
{
    QLabel *label = WindowPaneBuilder::makeLabel(parent, frame, text, font, color, alignment, true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->show();
    return label;
}

VQHandButton *DialogLayout::addLink(QWidget *parent, const QRectF &frame, const QString &text, Qt::Alignment alignment)
{
    auto *link = new VQHandButton(parent);
    link->setText(text);
    link->setFlat(true);
    link->setFocusPolicy(Qt::NoFocus);
    QFont font = theme::helveticaLight(12);
    font.setUnderline(true);
    link->setFont(font);
    const QString align = alignment & Qt::AlignHCenter ? QStringLiteral("center") : QStringLiteral("left");
    link->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; background: transparent; "
                                       "text-align: %2; padding: 0; }")
                            .arg(theme::dialogLinkText().name(), align));
    kit::setBottomLeftFrame(link, frame);
    link->show();
    return link;
}
