#include "CellDrawing.h"
#include "ImageAndTextCell.h"
#include "Theme.h"

#include "CellsTestSupport.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QLineEdit>
#include <QStandardItemModel>

namespace {

using cells::inkIn;
using cells::renderCell;

QPixmap solidIcon(int side, QColor color = QColor(200, 30, 30))
{
    QPixmap icon(side, side);
    icon.fill(color);
    return icon;
}

// One row of the file list: title, icon and title width as the main window hands them over.
struct ListRow
{
    QStandardItemModel model{1, 1};
    QModelIndex index() const { return model.index(0, 0); }

    ListRow(const QVariant &title, float width, const QPixmap &icon = QPixmap())
    {
        if (title.isValid())
            model.setData(index(), title, Qt::DisplayRole);
        model.setData(index(), width, ImageAndTextCell::SubWidthRole);
        if (!icon.isNull())
            model.setData(index(), icon, Qt::DecorationRole);
    }
};

TEST(ImageAndTextCell, TitlesAreCutAtTheirWidthWithAnEllipsisAndNeverWrap)
{
    const QString path = QStringLiteral("/Users/someone/Documents/Quarterly reports/2026/draft of the summary.pdf");
    const QFontMetricsF metrics(theme::cellTitleFont());
    for (const qreal width : {60.0, 140.0, 220.0}) {
        const QString shown = celldrawing::truncatedTitle(path, width);
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << width;
        EXPECT_LE(metrics.horizontalAdvance(shown), width) << width;
        EXPECT_TRUE(path.startsWith(shown.chopped(1))) << width;
    }
    EXPECT_EQ(celldrawing::truncatedTitle(QStringLiteral("short.txt"), 220), QStringLiteral("short.txt"));
    EXPECT_EQ(celldrawing::truncatedTitle(path, 0), QString());
    EXPECT_FALSE(celldrawing::truncatedTitle(QStringLiteral("two\nlines"), 220).contains(QLatin1Char('\n')));

    // Drawn: nothing shows past the width, and a zero width shows nothing at all.
    ImageAndTextCell cell;
    ListRow narrow(path, 80);
    const QImage image = renderCell(cell, narrow.index(), QSize(300, 17));
    EXPECT_GT(inkIn(image, QRect(0, 0, 80, 17)).pixels, 0);
    EXPECT_EQ(inkIn(image, QRect(81, 0, 219, 17)).pixels, 0);
    ListRow zero(path, 0);
    EXPECT_EQ(inkIn(renderCell(cell, zero.index(), QSize(300, 17)), QRect(0, 0, 300, 17)).pixels, 0);
}

TEST(ImageAndTextCell, TextOnlyCellsAreGreyFromTheLeftEdgeAndIconCellsBlackTwentyPointsIn)
{
    ImageAndTextCell cell;
    ListRow plain(QStringLiteral("Folder"), 200);
    const QImage grey = renderCell(cell, plain.index(), QSize(240, 17));
    const auto greyInk = inkIn(grey, grey.rect());
    ASSERT_GT(greyInk.pixels, 0);
    EXPECT_LE(greyInk.leftmost, 3);
    EXPECT_GE(greyInk.darkest, 110); // never darker than the 133 grey, give or take smoothing
    EXPECT_EQ(cell.titleColor(), theme::cellHeaderTitleColor());

    // A white icon keeps the icon slice free of ink, so the text alone is measured.
    ListRow named(QStringLiteral("Folder"), 200, solidIcon(16, Qt::white));
    const QImage black = renderCell(cell, named.index(), QSize(240, 17));
    const auto blackInk = inkIn(black, black.rect());
    ASSERT_GT(blackInk.pixels, 0);
    EXPECT_GE(blackInk.leftmost, 20);
    EXPECT_LE(blackInk.leftmost, 23);
    EXPECT_LT(blackInk.darkest, 80);
    EXPECT_EQ(cell.titleColor(), theme::cellTitleColor());
}

TEST(ImageAndTextCell, IconSitsInTheFirstNineteenPointsCentredOnTheRow)
{
    ImageAndTextCell cell;
    cell.setImage(solidIcon(16));
    EXPECT_EQ(cell.iconRectForFrame(QRectF(0, 40, 300, 17)), QRectF(1, 40, 16, 16));
    EXPECT_EQ(cell.iconRectForFrame(QRectF(5, 40, 300, 30)), QRectF(6, 46, 16, 16));
    // The text is placed from the whole frame, one point past the icon slice.
    cell.setTitle(QStringLiteral("a"), 90);
    EXPECT_EQ(cell.titleRectForFrame(QRectF(5, 40, 300, 30)), QRectF(25, 42, 90, 17));

    // A title-less row still shows its icon; a large icon is scaled into 16 x 16.
    ListRow row{QVariant(), 200, solidIcon(48)};
    const QImage image = renderCell(cell, row.index(), QSize(200, 30));
    EXPECT_EQ(QColor(image.pixel(8, 12)), QColor(200, 30, 30));
    EXPECT_EQ(inkIn(image, QRect(0, 0, 200, 30)).pixels, 16 * 16);
    EXPECT_EQ(inkIn(image, QRect(19, 0, 181, 30)).pixels, 0);
}

TEST(ImageAndTextCell, SizeEditingFrameAndImageFrameMakeRoomForTheIconsOwnWidth)
{
    ImageAndTextCell cell;
    EXPECT_EQ(cell.cellSize(QSizeF(100, 17)), QSizeF(103, 17));
    EXPECT_EQ(cell.editingFrame(QRectF(10, 0, 100, 17)), QRectF(13, 0, 97, 17));
    EXPECT_EQ(cell.imageFrameForCellFrame(QRectF(10, 0, 100, 17)), QRectF());

    cell.setImage(solidIcon(32));
    EXPECT_EQ(cell.cellSize(QSizeF(100, 17)), QSizeF(135, 17));
    EXPECT_EQ(cell.editingFrame(QRectF(10, 0, 100, 17)), QRectF(45, 0, 65, 17));
    EXPECT_EQ(cell.imageFrameForCellFrame(QRectF(10, 0, 100, 40)), QRectF(13, 4, 32, 32));
    // A frame narrower than the icon leaves an empty editing area, not a negative one.
    EXPECT_EQ(cell.editingFrame(QRectF(10, 0, 20, 17)).width(), 0);

    ListRow row(QStringLiteral("x"), 50, solidIcon(16));
    QLineEdit editor;
    QStyleOptionViewItem option;
    option.rect = QRect(10, 0, 100, 17);
    cell.updateEditorGeometry(&editor, option, row.index());
    EXPECT_EQ(editor.geometry(), QRect(29, 0, 81, 17));
}

TEST(ImageAndTextCell, TheSamePictureAgainChangesNothingAndCopiesShareIt)
{
    ImageAndTextCell cell;
    const QPixmap icon = solidIcon(16);
    cell.setImage(icon);
    const qint64 key = cell.image().cacheKey();
    cell.setImage(icon);
    EXPECT_EQ(cell.image().cacheKey(), key);
    cell.setImage(solidIcon(16, Qt::blue));
    EXPECT_NE(cell.image().cacheKey(), key);

    cell.setTitle(QStringLiteral("Name"), 180);
    ImageAndTextCell copy;
    copy.copyStateFrom(cell);
    EXPECT_EQ(copy.title(), QStringLiteral("Name"));
    EXPECT_EQ(copy.subWidth(), 180.0f);
    EXPECT_EQ(copy.image().cacheKey(), cell.image().cacheKey());
}

TEST(ImageAndTextCellPreview, FileListRowsToPng)
{
    ImageAndTextCell name;
    ImageAndTextCell other;
    QStandardItemModel model(3, 3);
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(theme::rgb(95, 168, 230));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(1, 3, 14, 11), 2, 2);
    }
    const QString titles[3][3] = {
        {QStringLiteral("Quarterly reports of the regional office.pdf"), QStringLiteral("/home/user/Documents"),
         QStringLiteral("2.41 MB")},
        {QStringLiteral("notes.txt"), QStringLiteral("/home/user"), QStringLiteral("812 byte")},
        {QStringLiteral("Photos"), QStringLiteral("/media/backup/Pictures/Holidays/2025/Coast"),
         QStringLiteral("1.20 GB")},
    };
    const float widths[3] = {150, 160, 70};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            model.setData(model.index(row, column), titles[row][column]);
            model.setData(model.index(row, column), widths[column], ImageAndTextCell::SubWidthRole);
        }
        model.setData(model.index(row, 0), icon, Qt::DecorationRole);
    }
    const int rowHeight = 30;
    const int columnX[3] = {0, 180, 350};
    QImage sheet = cells::previewSheet(QSize(430, 3 * rowHeight));
    QPainter painter(&sheet);
    for (int row = 0; row < 3; ++row) {
        if (row == 1)
            painter.fillRect(QRect(0, row * rowHeight, sheet.width() / 2, rowHeight), theme::rgb(222, 236, 250));
        for (int column = 0; column < 3; ++column) {
            const QRect rect(columnX[column], row * rowHeight, widths[column] + 20, rowHeight);
            cells::paintCell(painter, column == 0 ? static_cast<QAbstractItemDelegate &>(name) : other,
                             model.index(row, column), rect);
        }
    }
    painter.end();
    EXPECT_FALSE(cells::savePreview(sheet, QStringLiteral("file_list")).isEmpty());
}

} // namespace
