#include "HistoryTextFieldCell.h"
#include "HistoryDeleteTextFieldCell.h"
#include "Theme.h"

#include "CellsTestSupport.h"

#include <gtest/gtest.h>

#include <QStandardItemModel>
#include <QVariantMap>

namespace {

using cells::inkIn;
using cells::renderCell;

// The header record exactly as the history store reads it back.
QVariantMap headerRecord()
{
    return {{QStringLiteral("Items"), QStringLiteral("Items")},
            {QStringLiteral("Erasure algorithm"), QStringLiteral("Erasure Algorithm")},
            {QStringLiteral("Result"), QStringLiteral("Result")}};
}

QVariantMap itemRecord()
{
    return {{QStringLiteral("Items"), QStringLiteral("/home/user/Documents/Erasure algorithm notes.txt")},
            {QStringLiteral("Erasure algorithm"), QStringLiteral("DoD 5220.22-M ECE")},
            {QStringLiteral("Result"), QStringLiteral("Erased")}};
}

// One record row of the history outline: name, type and state columns filled from a record.
struct RecordRow
{
    QStandardItemModel model{1, 3};
    explicit RecordRow(const QVariantMap &record, bool selected = false)
    {
        const char *const keys[3] = {"Items", "Erasure algorithm", "Result"};
        for (int column = 0; column < 3; ++column) {
            model.setData(model.index(0, column), record.value(QLatin1String(keys[column])));
            model.setData(model.index(0, column), selected, historycell::SelectedRole);
        }
    }
    QModelIndex at(int column) const { return model.index(0, column); }
};

TEST(HistoryTextFieldCell, HeaderRecordIsGreyUntilSelectedAndOnlyByItsExactTexts)
{
    HistoryTextFieldCell text;
    HistoryDeleteTextFieldCell state;
    RecordRow header(headerRecord());
    for (int column = 0; column < 2; ++column) {
        renderCell(text, header.at(column), QSize(240, 20));
        EXPECT_EQ(text.titleColor(), theme::cellHeaderTitleColor()) << column;
    }
    renderCell(state, header.at(2), QSize(120, 20));
    EXPECT_EQ(state.titleColor(), theme::cellHeaderTitleColor());

    RecordRow selectedHeader(headerRecord(), true);
    for (int column = 0; column < 2; ++column) {
        renderCell(text, selectedHeader.at(column), QSize(240, 20));
        EXPECT_EQ(text.titleColor(), theme::cellTitleColor()) << column;
    }
    renderCell(state, selectedHeader.at(2), QSize(120, 20));
    EXPECT_EQ(state.titleColor(), theme::cellTitleColor());

    RecordRow item(itemRecord());
    for (int column = 0; column < 2; ++column) {
        renderCell(text, item.at(column), QSize(240, 20));
        EXPECT_EQ(text.titleColor(), theme::cellTitleColor()) << column;
    }
    // The record's key spelling is not a header text, nor are other cases or the other columns' texts.
    for (const char *notHeader : {"Erasure algorithm", "items", "Result", "RESULT"})
        EXPECT_FALSE(HistoryTextFieldCell::isHeaderText(QLatin1String(notHeader))) << notHeader;
    EXPECT_FALSE(HistoryDeleteTextFieldCell::isHeaderText(QStringLiteral("Items")));
    EXPECT_FALSE(HistoryDeleteTextFieldCell::isHeaderText(QStringLiteral("result")));

    // And in pixels: the grey header text is never as dark as a record's black text.
    const QImage greyImage = renderCell(text, header.at(0), QSize(240, 20));
    const QImage blackImage = renderCell(text, item.at(0), QSize(240, 20));
    EXPECT_GE(inkIn(greyImage, greyImage.rect()).darkest, 110);
    EXPECT_LT(inkIn(blackImage, blackImage.rect()).darkest, 80);
}

TEST(HistoryTextFieldCell, TitlesStopAtTwoHundredTwentyPointsAndDrawingLogsNoName)
{
    HistoryTextFieldCell text;
    RecordRow item(itemRecord());
    const QString longPath = QStringLiteral("/home/user/") + QString(60, QLatin1Char('x')) + QStringLiteral(".bin");
    item.model.setData(item.at(0), longPath);
    // Rows are drawn on every scroll and repaint; the names of erased files stay out of the log.
    testsupport::LogCapture log;
    QImage image = renderCell(text, item.at(0), QSize(400, 20));
    EXPECT_GT(inkIn(image, QRect(0, 0, 220, 20)).pixels, 0);
    EXPECT_EQ(inkIn(image, QRect(221, 0, 179, 20)).pixels, 0);
    renderCell(text, item.at(0), QSize(400, 20));

    // A run row: the title is empty (nothing drawn) and the run key is the plain value.
    QStandardItemModel run(1, 2);
    run.setData(run.index(0, 0), QString(""));
    run.setData(run.index(0, 0), QStringLiteral("2026-12-09 05-20-11"), historycell::ObjectValueRole);
    image = renderCell(text, run.index(0, 0), QSize(240, 20));
    EXPECT_GT(inkIn(image, image.rect()).pixels, 0);
    // No title at all: nothing drawn.
    image = renderCell(text, run.index(0, 1), QSize(240, 20));
    EXPECT_EQ(inkIn(image, image.rect()).pixels, 0);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST(HistoryTextFieldCell, StateTextsUseTheWholeCellWidth)
{
    HistoryDeleteTextFieldCell state;
    RecordRow item(itemRecord());
    item.model.setData(item.at(2), QStringLiteral("Failed because the volume is read-only"));
    const QImage image = renderCell(state, item.at(2), QSize(90, 20));
    const auto ink = inkIn(image, image.rect());
    EXPECT_GT(ink.pixels, 0);
    EXPECT_LT(ink.rightmost, 90);
    EXPECT_GT(ink.rightmost, 60);
    // Copies keep the title and the selection flag.
    HistoryTextFieldCell text;
    text.setTitle(QStringLiteral("Items"));
    text.setSelectTextColor(true);
    HistoryTextFieldCell copy;
    copy.copyStateFrom(text);
    EXPECT_EQ(copy.title(), QStringLiteral("Items"));
    EXPECT_TRUE(copy.isSelectCell());
}

} // namespace
