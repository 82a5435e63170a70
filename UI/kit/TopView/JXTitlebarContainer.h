#pragma once

#include <QPointer>
#include <QWidget>

// The title-bar area of an image window: it keeps its title-bar view filling it, and dragging in
// it moves the window (except in full screen).
class JXTitlebarContainer : public QWidget
{
    Q_OBJECT

public:
    explicit JXTitlebarContainer(QWidget *parent = nullptr);

    QWidget *fillView() const { return m_fillView; }
    // The view that always covers the whole container, resized with it.
    void setFillView(QWidget *view);
    // Brings the fill view to the container's size (also while the window is hidden, when no
    // resize events arrive).
    void fitFillView();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QWidget> m_fillView;
};
