#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QLabel;
class TCImageWindow;

// Every window dresses its drawn title bar the same way: a stretched title-bar image and a centred
// title. Frames are bottom-left frames inside the title-bar view.
class TitleBarDressing
{
public:
    // An image scaled to the frame on both axes; a missing image leaves an empty view.
    static QLabel *addImage(TCImageWindow *window, const QRectF &frame, const QString &imageName);
    // A centred, non-editable title in "Helvetica Light" 14.
    static QLabel *addTitle(TCImageWindow *window, const QRectF &frame, const QString &text, const QColor &color);
};
