#pragma once

#include <QLabel>
#include <QString>

// A named image from the bundle, scaled into the view. It is drawn afresh at each paint for the
// pixel ratio of the screen the window is on, so it stays sharp when the window moves to a screen
// of another scale. pixmap() still gives the image as loaded, for whoever reads it.
class ImageView : public QLabel
{
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    QString imageName() const { return m_imageName; }
    void setImageName(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
};
