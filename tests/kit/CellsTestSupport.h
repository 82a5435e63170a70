#pragma once

#include "common/TestSupport.h"

#include <QAbstractItemDelegate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>

// Helpers shared by the list and history cell suites.
namespace cells {

// Copies the history's action icons into the temporary bundle the test runs with.
inline bool installHistoryIcons(const testsupport::TempBundle &bundle)
{
    for (const char *name : {"icon_export.svg", "icon_delete.svg"}) {
        QFile svg(QStringLiteral(NULLWELL_SOURCE_DIR "/Resources/images/") + QLatin1String(name));
        if (!svg.open(QIODevice::ReadOnly))
            return false;
        bundle.writeResource(QLatin1String(name), svg.readAll());
    }
    return true;
}

// Lets a delegate paint one index into the rectangle, as a view would.
inline void paintCell(QPainter &painter, const QAbstractItemDelegate &delegate, const QModelIndex &index,
                      const QRect &rect)
{
    QStyleOptionViewItem option;
    option.rect = rect;
    delegate.paint(&painter, option, index);
}

// Paints one index on a white image of the given size, with the cell frame at its origin.
inline QImage renderCell(const QAbstractItemDelegate &delegate, const QModelIndex &index, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintCell(painter, delegate, index, QRect(QPoint(0, 0), size));
    return image;
}

// Counts pixels that are visibly not white inside the rectangle, and the darkest grey among them.
struct Ink
{
    int pixels = 0;
    int darkest = 255;
    int leftmost = -1;
    int rightmost = -1;
    int topmost = -1;
};

inline Ink inkIn(const QImage &image, const QRect &area)
{
    Ink ink;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            if (grey > 235)
                continue;
            ++ink.pixels;
            ink.darkest = qMin(ink.darkest, grey);
            if (ink.leftmost < 0 || x < ink.leftmost)
                ink.leftmost = x;
            ink.rightmost = qMax(ink.rightmost, x);
            if (ink.topmost < 0 || y < ink.topmost)
                ink.topmost = y;
        }
    }
    return ink;
}

// A white sheet of the given size in points, drawn at twice the pixel density.
inline QImage previewSheet(QSize points)
{
    QImage sheet(points * 2, QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(2);
    sheet.fill(Qt::white);
    return sheet;
}

inline QString savePreview(const QImage &image, const QString &name)
{
    const QString folder = testsupport::previewFolder(QStringLiteral("cells"));
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return image.save(path) ? path : QString();
}

} // namespace cells
