#pragma once

#include <QWidget>

// The blue fill of the progress bar. Its width is kept as a fraction of a point, so the bar grows
// smoothly; the widget itself covers the whole points the width reaches.
class NSProgressBar : public QWidget
{
    Q_OBJECT

public:
    explicit NSProgressBar(QWidget *parent = nullptr);

    static constexpr int kHeight = 6;

    float barWidth() const { return m_barWidth; }
    // Places the bar at the bottom-left of its parent with the given width (below 0 is empty).
    void setBarWidth(float width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    float m_barWidth = 0.0f;
};
