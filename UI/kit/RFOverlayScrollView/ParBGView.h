#pragma once

#include <QWidget>

// A plain panel with a one-point dark frame just inside its edges.
class ParBGView : public QWidget
{
    Q_OBJECT
public:
    explicit ParBGView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
