#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QRectF>

// The picture button of title bars and toolbars: it draws one of four named images by its state
// (disabled, pressed, hover, normal, in that order of precedence) and takes the size of its normal
// image. Clicks are the push button's own: clicked() comes when the press is released over it.
// Until it is given images it looks like a plain push button.
class TCImageButton : public QPushButton
{
    Q_OBJECT

public:
    explicit TCImageButton(QWidget *parent = nullptr);
    explicit TCImageButton(const QRect &frame, QWidget *parent = nullptr);

    // Looks the images up by name (a missing or empty name gives no image), sizes the button to
    // the normal image and redraws it.
    void setImageFromFileNormalName(const QString &normalName, const QString &activeName, const QString &hoverName,
                                    const QString &disableName);

    bool isFocus() const { return m_isFocus; }
    // Stores the hover flag only; the next redraw shows it.
    void setIsFocus(bool focus) { m_isFocus = focus; }
    bool isTracking() const { return m_isTracking; }

    // The image the current state draws; null draws nothing.
    QPixmap chosenImage() const;
    QPixmap normalImage() const { return m_normalImage; }
    QPixmap activeImage() const { return imageFor(Active); }
    QPixmap hoverImage() const { return imageFor(Hover); }
    QPixmap disableImage() const { return imageFor(Disabled); }
    QRectF dstRect() const { return m_dstRect; }

    void mouseEntered();
    void mouseExited();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // The four images by state, in the order they are given.
    enum State { Normal, Active, Hover, Disabled, StateCount };
    State chosenState() const;
    // Only the normal image is needed to show the button: the others come from the library when
    // a state first needs them.
    QPixmap imageFor(State state) const;

    QString m_imageNames[StateCount];
    QPixmap m_normalImage;
    bool m_isTracking = false;
    bool m_isFocus = false;
    QRectF m_dstRect;
    QRectF m_srcRect;
};
