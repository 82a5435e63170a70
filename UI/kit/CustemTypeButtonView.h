#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

class CustemTypeButtonViewDelegate;
class QLabel;

// A navigation tile: icon and caption, teal when selected, reporting a click with its tag.
class CustemTypeButtonView : public QWidget
{
    Q_OBJECT

public:
    explicit CustemTypeButtonView(QWidget *parent = nullptr);

    // Builds the icon and caption children from the current icon, caption and tag.
    void loadView();
    // Selected look on or off; takes effect at the next repaint.
    void buttonClick(bool click);
    bool isClick() const { return m_isClick; }

    QPixmap iconImage() const { return m_iconImage; }
    void setIconImage(const QPixmap &image) { m_iconImage = image; }
    QString nameStr() const { return m_nameStr; }
    void setNameStr(const QString &name) { m_nameStr = name; }
    qint32 butTag() const { return m_butTag; }
    void setButTag(qint32 tag) { m_butTag = tag; }
    // Not owned: the owner keeps the delegate alive while the tile can be clicked.
    CustemTypeButtonViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(CustemTypeButtonViewDelegate *delegate) { m_delegate = delegate; }

    QLabel *iconView() const { return m_iconView; }
    QLabel *nameField() const { return m_nameField; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPixmap m_iconImage;
    QString m_nameStr;
    qint32 m_butTag = 0;
    bool m_isClick = false;
    CustemTypeButtonViewDelegate *m_delegate = nullptr;
    QLabel *m_iconView = nullptr;
    QLabel *m_nameField = nullptr;
};
