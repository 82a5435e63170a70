// The drawn column header cells and the header view that hosts them.
#include "CustomHeaderCell.h"
#include "CustomTableHeaderView.h"
#include "HeaderCellView.h"
#include "ParTableHeaderCell.h"
#include "Theme.h"

#include "ControlsTestSupport.h"
#include "TablesTestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTableView>

using namespace tables;

namespace {

QImage drawCell(TableHeaderCell &cell, QSize size, bool pressed = false)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF frame(QPointF(0, 0), QSizeF(size));
    if (pressed)
        cell.highlight(true, &painter, frame, nullptr);
    else
        cell.drawWithFrame(&painter, frame, nullptr);
    return image;
}

CustomTableHeaderView titled(const QString &title)
{
    return CustomTableHeaderView(title);
}

} // namespace

TEST(ParTableHeaderCell, TakesOverTheTitleInItsOwnStyle)
{
    const CustomTableHeaderView old = titled(QStringLiteral("Size"));
    ParTableHeaderCell cell(&old);
    EXPECT_EQ(cell.stringValue(), QStringLiteral("Size"));
    EXPECT_EQ(cell.font().family(), QStringLiteral("Helvetica"));
    EXPECT_EQ(cell.font().pixelSize(), 12);
    EXPECT_EQ(cell.textColor(), theme::rgb(194, 200, 230));
    EXPECT_TRUE(cell.ascending());
    EXPECT_EQ(cell.priority(), 1);
    // Five points below the top, over the full width.
    EXPECT_EQ(cell.titleRect(QRectF(0, 0, 100, 25)), QRectF(0, 5, 100, 25));
    EXPECT_EQ(CustomHeaderCell(&old).titleRect(QRectF(0, 0, 100, 20)), QRectF(3, 2, 100, 20));
}

TEST(ParTableHeaderCell, SortedColumnNarrowsTheTitleAndShowsTheTriangle)
{
    ParTableHeaderCell cell;
    const QRectF frame(0, 0, 100, 25);
    cell.setSortAscending(false, 0);
    EXPECT_EQ(cell.titleRect(frame).width(), 92);
    EXPECT_EQ(SortableHeaderCell::sortIndicatorPolygon(frame, false),
              QPolygonF({QPointF(88, 10), QPointF(92, 17), QPointF(96, 10)}));
    EXPECT_EQ(SortableHeaderCell::sortIndicatorPolygon(frame, true),
              QPolygonF({QPointF(88, 15), QPointF(92, 8), QPointF(96, 15)}));

    QImage image = drawCell(cell, QSize(100, 25));
    EXPECT_EQ(image.pixelColor(92, 12), QColor(Qt::white)) << "descending triangle, inside";
    EXPECT_EQ(image.pixelColor(92, 19), theme::darkHeaderFill()) << "below its apex";

    // Any other priority: full-width title, the triangle stays invisible.
    cell.setSortAscending(false, 3);
    image = drawCell(cell, QSize(100, 25));
    EXPECT_EQ(image.pixelColor(92, 12), theme::darkHeaderFill());
    EXPECT_EQ(cell.titleRect(frame).width(), 100);

    // The light twin narrows for the sorted column but never draws a triangle.
    CustomHeaderCell light;
    light.setSortAscending(false, 0);
    EXPECT_EQ(light.titleRect(QRectF(0, 0, 100, 20)), QRectF(0, 2, 92, 20));
    EXPECT_EQ(drawCell(light, QSize(100, 20)).pixelColor(92, 12), theme::lightHeaderFill());
}

TEST(ParTableHeaderCell, FillLinesAndPressedLook)
{
    ParTableHeaderCell cell;
    cell.setStringValue(QStringLiteral("Name"));
    cell.setSortAscending(true, 0);
    const QImage image = drawCell(cell, QSize(100, 25));
    EXPECT_EQ(image.pixelColor(60, 0), theme::darkHeaderFill());
    EXPECT_EQ(image.pixelColor(60, 1), theme::darkHeaderLine());
    EXPECT_EQ(image.pixelColor(60, 24), theme::darkHeaderLine());
    EXPECT_EQ(image.pixelColor(60, 12), theme::darkHeaderFill());
    // The title starts 5 points down: nothing of it above that.
    for (int x = 0; x < 40; ++x)
        for (int y = 2; y < 5; ++y)
            ASSERT_EQ(image.pixelColor(x, y), theme::darkHeaderFill()) << x << "," << y;
    EXPECT_EQ(drawCell(cell, QSize(100, 25), true), image) << "pressed looks like resting";
}

TEST(CustomHeaderCell, LightFillWithAnOpenFrame)
{
    CustomHeaderCell cell;
    const QImage image = drawCell(cell, QSize(100, 20));
    EXPECT_EQ(image.pixelColor(50, 0), theme::lightHeaderFill()) << "no line along the very top";
    EXPECT_EQ(image.pixelColor(50, 1), theme::lightHeaderLine());
    EXPECT_EQ(image.pixelColor(99, 10), theme::lightHeaderLine());
    EXPECT_EQ(image.pixelColor(50, 19), theme::lightHeaderLine());
    EXPECT_EQ(image.pixelColor(0, 10), theme::lightHeaderFill()) << "the path stays open on the left";
}

TEST(CustomTableHeaderView, WhiteWithHairlinesAndDimmedWhenPressed)
{
    CustomTableHeaderView cell;
    EXPECT_EQ(CustomTableHeaderView::interiorRect(QRectF(0, 0, 80, 22)), QRectF(0, 0, 80, 21));
    const QImage resting = drawCell(cell, QSize(80, 22));
    const QImage pressed = drawCell(cell, QSize(80, 22), true);
    EXPECT_EQ(resting.pixelColor(40, 10), QColor(Qt::white));
    EXPECT_TRUE(near(pressed.pixelColor(40, 10), QColor(230, 230, 230), 1)) << "black at 0.1 over white";
    // Hairlines are faint, but they are there.
    const QColor top = resting.pixelColor(40, 0);
    EXPECT_LT(top.red(), 255);
    EXPECT_GT(top.red(), 150);
}

TEST(HeaderCellView, PressedSectionDrawsThroughTheCellsHighlight)
{
    QTableView table;
    auto *header = new HeaderCellView(&table);
    table.setHorizontalHeader(header);
    table.setModel(makeModel(2, 2, &table));
    table.resize(240, 120);
    header->setHeaderCell(1, std::make_unique<CustomTableHeaderView>(QStringLiteral("Own")));
    showAndSettle(&table);
    ASSERT_NE(dynamic_cast<CustomTableHeaderView *>(header->headerCell(1)), nullptr);
    // A plain header shows the model's title.
    EXPECT_EQ(header->headerCell(1)->stringValue(), QStringLiteral("Column 1"));

    const int x = header->sectionViewportPosition(1) + header->sectionSize(1) - 6;
    const QPoint where(x, header->height() / 2);
    EXPECT_EQ(header->viewport()->grab().toImage().pixelColor(where), QColor(Qt::white));
    controls::sendMouse(header->viewport(), QEvent::MouseButtonPress, Qt::LeftButton, QPointF(where));
    EXPECT_EQ(header->pressedSection(), 1);
    EXPECT_TRUE(near(header->viewport()->grab().toImage().pixelColor(where), QColor(230, 230, 230), 1));
    controls::sendMouse(header->viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(where));
    EXPECT_EQ(header->pressedSection(), -1);
}
