#pragma once

#include <QTimer>
#include <QWidget>

// The spinning indicator of a task that has not reported progress yet: twelve spokes that turn
// while it animates. Starting or stopping does not show or hide it; its owner does that.
class LoadProgressIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit LoadProgressIndicator(QWidget *parent = nullptr);

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_timer.isActive(); }
    int step() const { return m_step; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};
