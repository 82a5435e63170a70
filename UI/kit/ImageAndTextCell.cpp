#include "ImageAndTextCell.h"

#include "CellDrawing.h"
#include "Theme.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QPainter>
#include <QWidget>

#include <cmath>

ImageAndTextCell::ImageAndTextCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

ImageAndTextCell::~ImageAndTextCell()
{
    setTitle(QString(), 0);
}

void ImageAndTextCell::setTitle(const QString &title, float width)
{
    m_title = title;
    m_subWidth = width;
}

void ImageAndTextCell::setImage(const QPixmap &image)
{
    if (image.cacheKey() == m_image.cacheKey())
        return;
    m_image = image;
}

QColor ImageAndTextCell::titleColor() const
{
    return m_image.isNull() ? theme::cellHeaderTitleColor() : theme::cellTitleColor();
}

QRectF ImageAndTextCell::titleRectForFrame(const QRectF &frame) const
{
    // Placed from the whole frame, not from what is left beside the icon.
    const qreal x = frame.x() + (m_image.isNull() ? 0 : kTitleOffsetWithIcon);
    return QRectF(x, frame.y() + kTitleTop, qMax<qreal>(0, m_subWidth), kTitleHeight);
}

QRectF ImageAndTextCell::iconRectForFrame(const QRectF &frame) const
{
    // Views here count y downward, so the icon sits half the row's spare height below the slice's
    // top less a text line (its top is the row's top in a 17-point row).
    const qreal y = frame.y() - kTitleHeight + std::ceil((frame.height() + kIconSize) / 2);
    return QRectF(frame.x() + 1, y, kIconSize, kIconSize);
}

void ImageAndTextCell::drawWithFrame(QPainter *painter, const QRectF &frame) const
{
    if (!m_title.isNull())
        celldrawing::drawTitle(painter, titleRectForFrame(frame), m_title, titleColor());
    if (!m_image.isNull()) {
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter->setOpacity(1.0);
        painter->drawPixmap(iconRectForFrame(frame), m_image, QRectF(m_image.rect()));
        painter->restore();
    }
}

QRectF ImageAndTextCell::imageFrameForCellFrame(const QRectF &frame) const
{
    if (m_image.isNull())
        return QRectF();
    return celldrawing::imageFrameForCellFrame(frame, m_image.deviceIndependentSize());
}

qreal ImageAndTextCell::leftSliceFor(const QPixmap &icon)
{
    return (icon.isNull() ? 0 : icon.deviceIndependentSize().width()) + 3;
}

QRectF ImageAndTextCell::editingFrame(const QRectF &frame) const
{
    return frame.adjusted(qMin(leftSliceFor(m_image), frame.width()), 0, 0, 0);
}

QSizeF ImageAndTextCell::cellSize(const QSizeF &plainSize) const
{
    return QSizeF(plainSize.width() + leftSliceFor(m_image), plainSize.height());
}

void ImageAndTextCell::copyStateFrom(const ImageAndTextCell &other)
{
    m_title = other.m_title;
    m_subWidth = other.m_subWidth;
    m_image = other.m_image;
}

QPixmap ImageAndTextCell::pixmapFromValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QPixmap)
        return value.value<QPixmap>();
    if (value.typeId() == QMetaType::QImage)
        return QPixmap::fromImage(value.value<QImage>());
    if (value.typeId() == QMetaType::QIcon) {
        const QIcon icon = value.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        return icon.pixmap(sizes.isEmpty() ? QSize(int(kIconSize), int(kIconSize)) : sizes.last());
    }
    return QPixmap();
}

void ImageAndTextCell::takeRow(const QModelIndex &index)
{
    const QVariant title = index.data(Qt::DisplayRole);
    const QVariant width = index.data(SubWidthRole);
    setTitle(title.isValid() ? title.toString() : QString(), width.isValid() ? width.toFloat() : m_subWidth);
    setImage(pixmapFromValue(index.data(Qt::DecorationRole)));
}

void ImageAndTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    // The cell is configured row by row just before it draws, as the owner would; the row's
    // values replace the previous row's.
    auto *self = const_cast<ImageAndTextCell *>(this);
    self->takeRow(index);
    drawWithFrame(painter, option.rect);
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The plain size leaves the icon out: the cell places it itself.
    QStyleOptionViewItem plain(option);
    initStyleOption(&plain, index);
    plain.features &= ~QStyleOptionViewItem::HasDecoration;
    plain.icon = QIcon();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &plain, QSize(), widget);
    const qreal slice = leftSliceFor(pixmapFromValue(index.data(Qt::DecorationRole)));
    return QSize(qCeil(size.width() + slice), size.height());
}

void ImageAndTextCell::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const
{
    const qreal slice = leftSliceFor(pixmapFromValue(index.data(Qt::DecorationRole)));
    editor->setGeometry(option.rect.adjusted(qMin(int(std::ceil(slice)), option.rect.width()), 0, 0, 0));
}
