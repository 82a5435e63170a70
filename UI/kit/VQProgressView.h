#pragma once

#include <QWidget>

class NSProgressBar;

// A thin progress bar: a fixed 420-point grey track at the bottom-left, with a blue bar over it
// whose width follows the percentage the owner sets.
class VQProgressView : public QWidget
{
    Q_OBJECT

public:
    explicit VQProgressView(QWidget *parent = nullptr);
    // Created at a bottom-left frame inside the parent.
    VQProgressView(const QRectF &frame, QWidget *parent);

    // Percent 0 to 100; over the last point the bar snaps to the full width, below 0 it is empty.
    void changeProgressValue(float percent);

    NSProgressBar *bar() const { return m_pProgress1; }
    static constexpr qreal kTrackLength = 420.0;
    static constexpr qreal kTrackHeight = 6.0;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    NSProgressBar *m_pProgress1 = nullptr;
    float m_barViewWidth = 0.0f;
};
