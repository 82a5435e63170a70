#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>

class CustemImageButton;
class QLabel;
class QObject;
class QWidget;
class TCImageWindow;

// The pieces the dialog windows are laid out from. Frames are bottom-left frames inside the
// parent, whose size must already be final.
class WindowPaneBuilder
{
public:
    // A dialog window of the given content size with the standard 22-point title bar, of fixed
    // size and without minimize or zoom button. With hideWindowButtons the close button goes too:
    // such a dialog ends through its own buttons.
    static TCImageWindow *makeDialogWindow(const QSize &contentSize, bool hideWindowButtons = true);
    // A see-through pane covering the whole content view.
    static QWidget *makePane(QWidget *contentView);
    // A text label; wrapping labels break at word boundaries inside the frame.
    static QLabel *makeLabel(QWidget *parent, const QRectF &frame, const QString &text, const QFont &font,
                             const QColor &color, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
                             bool wrap = false);
    // An image from the bundle, scaled into the frame and drawn for the screen it is on.
    static QLabel *makeImage(QWidget *parent, const QRectF &frame, const QString &imageName);
    // A text button captioned in "Helvetica Light", enabled, with the owner as its delegate.
    static CustemImageButton *makeTextButton(QWidget *parent, const QRectF &frame, const QString &caption,
                                             qreal fontSize, quint64 colorType, const QString &identifier,
                                             QObject *owner, std::function<void()> action);
    // Puts the window in the middle of the screen it is on (or the primary screen).
    static void center(QWidget *window);
};
