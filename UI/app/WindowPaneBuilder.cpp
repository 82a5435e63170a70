#include "WindowPaneBuilder.h"

#include "CustemImageButton.h"
#include "ImageLibrary.h"
#include "ImageView.h"
#include "KitGeometry.h"
#include "TCImageWindow.h"
#include "Theme.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TCImageWindow *WindowPaneBuilder::makeDialogWindow(const QSize &contentSize, bool hideWindowButtons)
{
    auto *window = new TCImageWindow(contentSize);
    window->setTitleBarHeight(theme::kDialogTitleBarHeight);
    window->makeDialogChrome();
    if (hideWindowButtons) {
        for (int type = TCImageWindow::CloseButton; type <= TCImageWindow::ZoomButton; ++type) {
            if (TCWindowButton *button = window->standardWindowButton(type))
                button->hide();
        }
    }
    return window;
}

QWidget *WindowPaneBuilder::makePane(QWidget *contentView)
{
    auto *pane = new QWidget(contentView);
    pane->setGeometry(contentView->rect());
    return pane;
}

QLabel *WindowPaneBuilder::makeLabel(QWidget *parent, const QRectF &frame, const QString &text, const QFont &font,
                                     const QColor &color, Qt::Alignment alignment, bool wrap)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(alignment);
    label->setWordWrap(wrap);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    kit::setBottomLeftFrame(label, frame);
    return label;
}

QLabel *WindowPaneBuilder::makeImage(QWidget *parent, const QRectF &frame, const QString &imageName)
{
    auto *image = new ImageView(parent);
    image->setImageName(imageName);
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    kit::setBottomLeftFrame(image, frame);
    return image;
}

CustemImageButton *WindowPaneBuilder::makeTextButton(QWidget *parent, const QRectF &frame, const QString &caption,
                                                     qreal fontSize, quint64 colorType, const QString &identifier,
                                                     QObject *owner, std::function<void()> action)
{
    auto *button = new CustemImageButton(frame, parent);
    button->setButtonEnabled(true);
    button->setTextWithName(caption, theme::helveticaLight(fontSize), colorType, identifier);
    button->setDelegate(owner);
    button->setButtonAction(std::move(action));
    return button;
}

void WindowPaneBuilder::center(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
