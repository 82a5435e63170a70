#pragma once

#include "TCWindowButton.h"

#include <QPixmap>
#include <QString>

class QWidget;

// The kit's own close, minimize and zoom buttons: small discs drawn in code, coloured while the
// window is key, grey while it is not, with their symbol on hover and a darker disc when pressed.
class TCStandardWindowButtonArt
{
public:
    enum Type { Close = 0, Minimize = 1, Zoom = 2 };
    // The looks are the button's own.
    using Look = TCWindowButton::Look;
    using enum TCWindowButton::Look;

    // The image of one look at the given size in points, for the given device pixel ratio.
    static QPixmap image(Type type, Look look, int diameter, qreal devicePixelRatio);
    // A window button of the type in the given group, each look drawn when it is first needed.
    static TCWindowButton *makeButton(Type type, const QString &groupIdentifier, QWidget *parent);
};
