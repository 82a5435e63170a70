#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QLabel;
class QWidget;
class TCImageWindow;
class VQHandButton;

// The pieces the small dialogs (notice, About, update check, log) are built from in code, so they
// share one look: a white content view, images, wrapped texts and link-styled buttons placed at
// bottom-left frames.
class DialogLayout
{
public:
    // Sizes the window so that its content view is this high below the current title bar.
    static void setContentHeight(TCImageWindow *window, int contentHeight);
    // Centres the window on the screen it is on (the primary screen before it is shown).
    static void center(QWidget *window);
    // A plain white content view of the window's width, installed as its content view.
    static QWidget *makeContentView(TCImageWindow *window, int contentHeight);

    static QLabel *addImage(QWidget *parent, const QRectF &frame, const QString &imageName);
    // A word-wrapped text, left aligned and vertically centred in its frame unless told otherwise.
    static QLabel *addText(QWidget *parent, const QRectF &frame, const QString &text, const QFont &font,
                           const QColor &color, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
    // An underlined, link-coloured flat button with a pointing-hand pointer.
    static VQHandButton *addLink(QWidget *parent, const QRectF &frame, const QString &text,
                                 Qt::Alignment alignment = Qt::AlignLeft);
};
