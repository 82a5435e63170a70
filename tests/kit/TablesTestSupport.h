#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QStandardItemModel>
#include <QWidget>

// Models and pixel helpers shared by the list, header and scroller suites.
namespace tables {

inline QStandardItemModel *makeModel(int rows, int columns, QObject *parent)
{
    auto *model = new QStandardItemModel(rows, columns, parent);
    for (int column = 0; column < columns; ++column)
        model->setHeaderData(column, Qt::Horizontal, QStringLiteral("Column %1").arg(column));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            model->setItem(row, column, new QStandardItem(QStringLiteral("r%1").arg(row)));
    return model;
}

// Shows a widget on the offscreen platform and lets it lay itself out.
inline void showAndSettle(QWidget *widget)
{
    widget->show();
    QApplication::processEvents();
    QApplication::processEvents();
}

// The list's viewport as painted, background included.
inline QImage viewportImage(QAbstractItemView *view)
{
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline QColor opaque(const QColor &color)
{
    return QColor(color.red(), color.green(), color.blue());
}

// A colour laid over white, as a translucent fill ends up on the list's white base.
inline QColor overWhite(const QColor &color)
{
    const qreal a = color.alphaF();
    auto mix = [a](int c) { return qRound(c * a + 255 * (1 - a)); };
    return QColor(mix(color.red()), mix(color.green()), mix(color.blue()));
}

inline bool near(const QColor &a, const QColor &b, int tolerance = 2)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace tables
