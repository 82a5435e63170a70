#pragma once

#include <QWidget>

// A one-pixel line along a frameless window's outline (rounded top corners, square bottom), laid
// over everything else in the window, so that a white dialog stays apart from a white window
// behind it. It takes no mouse events and follows its window's size.
class TCWindowEdge : public QWidget
{
    Q_OBJECT

public:
    explicit TCWindowEdge(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
