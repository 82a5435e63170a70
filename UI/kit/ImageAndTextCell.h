#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStyledItemDelegate>

// The text cell of the file list: a title of its own in a fixed font and width, with an optional
// 16 x 16 icon to its left. Installed per column (setItemDelegateForColumn); before each row is
// drawn it takes from the model:
//   Qt::DisplayRole      the title (an invalid value: no title of its own is drawn)
//   Qt::DecorationRole   the icon, a QPixmap, QImage or QIcon (absent: a text-only cell)
//   SubWidthRole         the width in points of the title's rectangle (absent: the width last
//                        given to setTitle keeps)
// Without an icon the title is grey from the cell's left edge; with one it is black, 20 points in.
// The model's values are never drawn otherwise, and the view draws the row backgrounds itself.
class ImageAndTextCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    enum Role { SubWidthRole = Qt::UserRole + 0x1c0 };

    static constexpr qreal kIconSize = 16;
    static constexpr qreal kIconSlice = 19;
    static constexpr qreal kTitleOffsetWithIcon = 20;
    static constexpr qreal kTitleTop = 2;
    static constexpr qreal kTitleHeight = 17;

    explicit ImageAndTextCell(QObject *parent = nullptr);
    ~ImageAndTextCell() override;

    // A null title draws no text of its own. Nothing is redrawn: the view draws the row next.
    void setTitle(const QString &title, float width);
    QString title() const { return m_title; }
    float subWidth() const { return m_subWidth; }
    // The same picture again changes nothing.
    void setImage(const QPixmap &image);
    QPixmap image() const { return m_image; }

    // The colour the current title is drawn in.
    QColor titleColor() const;
    // Title, then icon, in the cell frame (view coordinates, y downward).
    void drawWithFrame(QPainter *painter, const QRectF &frame) const;
    // Where the title goes and where the icon goes for a frame.
    QRectF titleRectForFrame(const QRectF &frame) const;
    QRectF iconRectForFrame(const QRectF &frame) const;
    // The icon at its own size, 3 points in and centred vertically; empty without an icon.
    QRectF imageFrameForCellFrame(const QRectF &frame) const;
    // The frame an editor would get: the icon's own width + 3 points taken off the left.
    QRectF editingFrame(const QRectF &frame) const;
    // The plain cell's size, widened by the icon's own width + 3.
    QSizeF cellSize(const QSizeF &plainSize) const;

    // Copies title, width and icon (the view's copies share the same picture).
    void copyStateFrom(const ImageAndTextCell &other);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    void takeRow(const QModelIndex &index);
    // Icon width + 3, or 3 without an icon: what editing and the size keep free on the left.
    static qreal leftSliceFor(const QPixmap &icon);
    static QPixmap pixmapFromValue(const QVariant &value);

    QPixmap m_image;
    QString m_title;
    float m_subWidth = 0;
};
