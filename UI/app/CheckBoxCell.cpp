#include "CheckBoxCell.h"

#include <QPainter>
#include <QPixmap>

void CheckBoxCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QPixmap image = index.data(Qt::DecorationRole).value<QPixmap>();
    if (image.isNull())
        return;
    const QRectF target(option.rect.x() + (option.rect.width() - 16) / 2.0,
                        option.rect.y() + (option.rect.height() - 16) / 2.0, 16, 16);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(target, image, QRectF(image.rect()));
    painter->restore();
}
