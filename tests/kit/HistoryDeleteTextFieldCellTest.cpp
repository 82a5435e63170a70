#include "HistoryDeleteTextFieldCell.h"
#include "HistoryTextFieldCell.h"
#include "ImageLibrary.h"
#include "Theme.h"

#include "CellsTestSupport.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <vector>

namespace {

using cells::inkIn;
using cells::renderCell;

const QString kRunKey = QStringLiteral("2026-12-09 05-20-11");

struct RecordingDelegate : HistoryDeleteTextFieldCellDelegate
{
    QStringList exports;
    QStringList deletes;
    void clickExportWithDate(const QString &date) override { exports << date; }
    void clickDeleteWithDate(const QString &date) override { deletes << date; }
};

// Every test starts with an open click guard and keeps the resets it schedules in hand.
class HistoryDeleteTextFieldCellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ImageLibrary::clearCache();
        ASSERT_TRUE(cells::installHistoryIcons(m_bundle));
        HistoryDeleteTextFieldCell::setResetSchedulerForTesting(
            [this](std::function<void()> reset) { m_pendingResets.push_back(std::move(reset)); });
        runResets();
    }
    void TearDown() override
    {
        runResets();
        HistoryDeleteTextFieldCell::setResetSchedulerForTesting({});
        ImageLibrary::clearCache();
    }
    void runResets()
    {
        for (auto &reset : m_pendingResets)
            reset();
        m_pendingResets.clear();
    }

    // A run row (key in every column, icons shown when selected) and a record row below it.
    void fillModel(bool runSelected = true)
    {
        m_model.setData(m_model.index(0, 0), QString(""));
        m_model.setData(m_model.index(0, 0), runSelected, historycell::ShowButtonsRole);
        m_model.setData(m_model.index(0, 0), kRunKey, historycell::RunKeyRole);
        m_model.setData(m_model.index(1, 0), QStringLiteral("Erased"));
        m_model.setData(m_model.index(1, 0), kRunKey, historycell::RunKeyRole);
        m_model.setData(m_model.index(2, 0), QString(""));
        m_model.setData(m_model.index(2, 0), QStringLiteral("2026-12-01 10-00-00"), historycell::RunKeyRole);
    }

    // Draws the row as the outline would, at the frame given.
    void draw(int row, const QRect &frame)
    {
        QImage image(frame.right() + 1, frame.bottom() + 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        cells::paintCell(painter, m_cell, m_model.index(row, 0), frame);
    }

    bool click(int row, QPointF point, QEvent::Type type = QEvent::MouseButtonPress)
    {
        QMouseEvent event(type, point, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QStyleOptionViewItem option;
        return m_cell.editorEvent(&event, &m_model, option, m_model.index(row, 0));
    }

    testsupport::TempBundle m_bundle;
    std::vector<std::function<void()>> m_pendingResets;
    QStandardItemModel m_model{3, 1};
    HistoryDeleteTextFieldCell m_cell;
    RecordingDelegate m_listener;
};

TEST_F(HistoryDeleteTextFieldCellTest, IconsLieWhereTheRowSaysAndTheRestGetsNothing)
{
    fillModel();
    draw(0, QRect(40, 60, 120, 30));
    EXPECT_EQ(m_cell.folderImageFrame(), QRectF(40, 62, 16, 16));
    EXPECT_EQ(m_cell.deleteImageFrame(), QRectF(69, 62, 16, 16));
    EXPECT_EQ(m_cell.exportZone(), m_cell.folderImageFrame());
    EXPECT_EQ(m_cell.deleteZone(), m_cell.deleteImageFrame());

    // Icons are drawn in their frames and nothing is drawn beyond them.
    const QImage image = renderCell(m_cell, m_model.index(0, 0), QSize(120, 30));
    EXPECT_GT(inkIn(image, QRect(0, 2, 16, 16)).pixels, 10);
    EXPECT_GT(inkIn(image, QRect(29, 2, 16, 16)).pixels, 10);
    EXPECT_EQ(inkIn(image, QRect(16, 0, 13, 30)).pixels + inkIn(image, QRect(45, 0, 75, 30)).pixels, 0);

    // A run row that is not selected draws nothing and leaves the frames alone.
    fillModel(false);
    EXPECT_EQ(inkIn(renderCell(m_cell, m_model.index(0, 0), QSize(120, 30)), QRect(0, 0, 120, 30)).pixels, 0);
    EXPECT_EQ(m_cell.folderImageFrame(), QRectF(0, 2, 16, 16));
}

TEST_F(HistoryDeleteTextFieldCellTest, OnlyClicksOnTheIconsThemselvesFire)
{
    fillModel();
    m_cell.setDelegate(&m_listener);
    draw(0, QRect(0, 0, 120, 30));
    // Export icon at (0, 2, 16, 16), delete icon at (29, 2, 16, 16); left and top edges belong to
    // an icon, right and bottom ones to what follows.
    struct Probe
    {
        QPointF point;
        int exports;
        int deletes;
    } probes[] = {
        {{0, 2}, 1, 0},       // export icon's top-left corner
        {{15.9, 17.9}, 1, 0}, // just inside its bottom-right corner
        {{16, 10}, 0, 0},     // just right of it: blank space
        {{22, 10}, 0, 0},     // between the icons
        {{28.9, 10}, 0, 0},   // just left of the delete icon
        {{29, 10}, 0, 1},     // delete icon's left edge
        {{44.9, 17.9}, 0, 1}, // just inside its bottom-right corner
        {{45, 10}, 0, 0},     // just right of it
        {{35, 18}, 0, 0},     // just below it, where the next row begins
        {{10, 1.5}, 0, 0},    // just above the export icon
        {{100, 10}, 0, 0},    // far right in the cell
    };
    for (const Probe &probe : probes) {
        m_listener.exports.clear();
        m_listener.deletes.clear();
        const bool fired = click(0, probe.point);
        runResets();
        EXPECT_EQ(m_listener.exports.size(), probe.exports) << probe.point.x() << "," << probe.point.y();
        EXPECT_EQ(m_listener.deletes.size(), probe.deletes) << probe.point.x() << "," << probe.point.y();
        EXPECT_EQ(fired, probe.exports + probe.deletes > 0);
    }
}

TEST_F(HistoryDeleteTextFieldCellTest, ActionsCarryTheRunKeyAndAnswerTrackableHits)
{
    fillModel();
    m_cell.setDelegate(&m_listener);
    draw(0, QRect(0, 0, 120, 30));
    m_cell.setTitle(QString());
    m_cell.setRunKey(kRunKey);
    EXPECT_EQ(m_cell.hitTestForEvent(QPointF(5, 5)),
              HistoryDeleteTextFieldCell::HitContentArea | HistoryDeleteTextFieldCell::HitTrackableArea);
    runResets();
    EXPECT_TRUE(click(0, QPointF(35, 5)));
    EXPECT_EQ(m_listener.exports, QStringList{kRunKey});
    EXPECT_EQ(m_listener.deletes, QStringList{kRunKey});
}

TEST_F(HistoryDeleteTextFieldCellTest, ASecondClickBeforeTheResetIsIgnoredThenAccepted)
{
    fillModel();
    m_cell.setDelegate(&m_listener);
    draw(0, QRect(0, 0, 120, 30));
    EXPECT_TRUE(click(0, QPointF(5, 5)));
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 1);
    // A double click's second press, and a click on the other icon, both land on the guard.
    EXPECT_FALSE(click(0, QPointF(5, 5), QEvent::MouseButtonDblClick));
    EXPECT_FALSE(click(0, QPointF(35, 5)));
    EXPECT_EQ(m_listener.exports.size(), 1);
    EXPECT_TRUE(m_listener.deletes.isEmpty());
    EXPECT_EQ(m_pendingResets.size(), 3u); // every hit test on an icon row schedules its own reset
    m_pendingResets.front()();
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 0);
    EXPECT_TRUE(click(0, QPointF(35, 5)));
    EXPECT_EQ(m_listener.deletes.size(), 1);
}

TEST_F(HistoryDeleteTextFieldCellTest, TheRealResetOpensTheGuardAfterAFifthOfASecondEvenWithoutTheCell)
{
    HistoryDeleteTextFieldCell::setResetSchedulerForTesting({});
    fillModel();
    {
        HistoryDeleteTextFieldCell cell;
        cell.setTitle(QString());
        cell.setDelegate(&m_listener);
        cell.setRunKey(kRunKey);
        // Before the icons have been drawn nothing is there to click.
        EXPECT_EQ(cell.hitTestForEvent(QPointF(5, 5)), 0);
        EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 0);
        cell.setShowFolderAndDeleteButton(true);
        QImage canvas(120, 30, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        cell.drawWithFrame(&painter, QRectF(0, 0, 120, 30));
        EXPECT_NE(cell.hitTestForEvent(QPointF(5, 5)), 0);
        EXPECT_EQ(cell.hitTestForEvent(QPointF(5, 5)), 0);
    }
    // The cell is gone; its resets still run and clear the shared guard.
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 1);
    QTest::qWait(60);
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return HistoryDeleteTextFieldCell::clickGuard() == 0; }, 2000));
    EXPECT_EQ(m_listener.exports.size(), 1);
}

TEST_F(HistoryDeleteTextFieldCellTest, RecordRowsAndRowsWithoutIconsNeverFire)
{
    fillModel();
    m_cell.setDelegate(&m_listener);
    draw(0, QRect(0, 0, 120, 30));
    // The record row below: its result text wins, nothing is scheduled.
    EXPECT_FALSE(click(1, QPointF(5, 5)));
    EXPECT_TRUE(m_pendingResets.empty());
    // Another run row, even inside the zones that reach into it: nothing fires.
    EXPECT_FALSE(click(2, QPointF(5, 31)));
    EXPECT_TRUE(m_listener.exports.isEmpty());
    EXPECT_TRUE(m_listener.deletes.isEmpty());
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 0);
}

TEST_F(HistoryDeleteTextFieldCellTest, ADestroyedListenerIsNeverCalledButTheClickStillCounts)
{
    fillModel();
    draw(0, QRect(0, 0, 120, 30));
    {
        auto gone = std::make_unique<RecordingDelegate>();
        m_cell.setDelegate(gone.get());
        EXPECT_EQ(m_cell.delegate(), gone.get());
    }
    EXPECT_EQ(m_cell.delegate(), nullptr);
    EXPECT_TRUE(click(0, QPointF(5, 5)));
    EXPECT_EQ(HistoryDeleteTextFieldCell::clickGuard(), 1);
    // A listener that overrides nothing is fine too.
    runResets();
    HistoryDeleteTextFieldCellDelegate silent;
    m_cell.setDelegate(&silent);
    EXPECT_TRUE(click(0, QPointF(35, 5)));
}

TEST_F(HistoryDeleteTextFieldCellTest, WithoutTheExportIconTheDeleteIconMovesLeftAndTheOldExportZoneStays)
{
    fillModel();
    draw(0, QRect(0, 40, 120, 30));
    ASSERT_EQ(m_cell.folderImageFrame(), QRectF(0, 42, 16, 16));
    QFile::remove(m_bundle.resourcePath() + QStringLiteral("/icon_export.svg"));
    ImageLibrary::clearCache();
    draw(0, QRect(0, 100, 120, 30));
    EXPECT_EQ(m_cell.deleteImageFrame(), QRectF(10, 102, 16, 16));
    EXPECT_EQ(m_cell.folderImageFrame(), QRectF(0, 42, 16, 16));
    EXPECT_EQ(m_cell.imageFrameForCellFrame(QRectF(0, 0, 100, 30)), QRectF());
}

TEST_F(HistoryDeleteTextFieldCellTest, ClicksInARealOutlineReachTheListener)
{
    QStandardItemModel model;
    auto *run = new QStandardItem(kRunKey);
    run->setData(QString(""), Qt::DisplayRole);
    auto *state = new QStandardItem;
    state->setData(QString(""), Qt::DisplayRole);
    state->setData(true, historycell::ShowButtonsRole);
    state->setData(kRunKey, historycell::RunKeyRole);
    model.appendRow({run, state});
    QTreeView view;
    view.setModel(&model);
    view.setItemDelegateForColumn(1, &m_cell);
    view.setColumnWidth(0, 200);
    view.resize(400, 200);
    m_cell.setDelegate(&m_listener);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.viewport()->grab(); // draws the icons, which places them
    const QRect cellRect = view.visualRect(model.index(0, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellRect.topLeft() + QPoint(35, 5));
    EXPECT_EQ(m_listener.deletes, QStringList{kRunKey});
}

TEST_F(HistoryDeleteTextFieldCellTest, HistoryRowsPreview)
{
    QStandardItemModel model(6, 3);
    HistoryTextFieldCell text;
    const QString rows[6][3] = {
        {QString(), QString(), QString()}, // selected run row
        {QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result")},
        {QStringLiteral("/home/user/Documents/Quarterly reports of the regional office 2026.pdf"),
         QStringLiteral("DoD 5220.22-M ECE"), QStringLiteral("Erased")},
        {QStringLiteral("/home/user/notes.txt"), QStringLiteral("DoD 5220.22-M ECE"), QStringLiteral("Failed")},
        {QString(), QString(), QString()}, // another run
        {QStringLiteral("Items"), QStringLiteral("Erasure Algorithm"), QStringLiteral("Result")},
    };
    for (int row = 0; row < 6; ++row) {
        const bool runRow = row == 0 || row == 4;
        for (int column = 0; column < 3; ++column) {
            const QModelIndex index = model.index(row, column);
            model.setData(index, runRow ? QString("") : rows[row][column]);
            model.setData(index, row == 3, historycell::SelectedRole);
        }
        if (runRow)
            model.setData(model.index(row, 0), row == 0 ? kRunKey : QStringLiteral("2026-12-01 10-00-00"),
                          historycell::ObjectValueRole);
        model.setData(model.index(row, 2), row == 0, historycell::ShowButtonsRole);
    }
    const int rowHeight = 24;
    const int columnX[3] = {0, 240, 400};
    const int columnWidth[3] = {230, 150, 110};
    QImage sheet = cells::previewSheet(QSize(510, 6 * rowHeight));
    QPainter painter(&sheet);
    for (int row = 0; row < 6; ++row) {
        if (row == 3) // the highlighted record row
            painter.fillRect(QRect(0, row * rowHeight, sheet.width() / 2, rowHeight), theme::rgb(222, 236, 250));
        for (int column = 0; column < 3; ++column) {
            const QRect rect(columnX[column], row * rowHeight, columnWidth[column], rowHeight);
            cells::paintCell(painter, column == 2 ? static_cast<QAbstractItemDelegate &>(m_cell) : text,
                             model.index(row, column), rect);
        }
    }
    painter.end();
    EXPECT_FALSE(cells::savePreview(sheet, QStringLiteral("history")).isEmpty());

    // The icons alone, large, to judge their drawing.
    QImage icons(2 * 96 + 16, 96, QImage::Format_ARGB32_Premultiplied);
    icons.fill(Qt::white);
    QPainter iconPainter(&icons);
    ImageLibrary::draw(&iconPainter, QLatin1String(theme::kHistoryExportImage), QRectF(0, 0, 96, 96));
    ImageLibrary::draw(&iconPainter, QLatin1String(theme::kHistoryDeleteImage), QRectF(112, 0, 96, 96));
    iconPainter.end();
    EXPECT_FALSE(cells::savePreview(icons, QStringLiteral("history_icons")).isEmpty());
}

} // namespace
