#pragma once

#include "TCShadow.h"

#include <QFont>
#include <QWidget>

class TCImageWindow;

// How the window title is drawn in the title bar.
struct TitleTextAttributes
{
    QFont font;
    QColor color;
    TCShadow shadow;
};

// The title bar's face: a white bar with rounded upper corners (or whatever the window's drawing
// block draws), and the window title when the window asks for it. A double click miniaturizes the
// window when the user's "AppleMiniaturizeOnDoubleClick" default says so, else does what the
// desktop's setting says (TitleBarDoubleClick).
class JXTitlebarView : public QWidget
{
    Q_OBJECT

public:
    explicit JXTitlebarView(QWidget *parent = nullptr);

    // Where and how the title is drawn, in this view's coordinates; either output may be null.
    void getTitleFrame(QRectF *frame, TitleTextAttributes *attributes, const TCImageWindow *window) const;
    // A mouse button went up after clickCount clicks.
    void mouseUp(int clickCount);
    void drawNoiseWithOpacity(qreal) {}

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TCImageWindow *imageWindow() const;

    int m_clickCount = 0;
};
