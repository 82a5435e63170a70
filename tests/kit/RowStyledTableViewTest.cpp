// The five row-styled tables: which row looks selected, fills, separators, headers, right clicks.
#include "BroTableView.h"
#include "CommSetSelectBgTableView.h"
#include "CustomHeaderCell.h"
#include "CustomListTableView.h"
#include "CustomListTableViewDelegate.h"
#include "CustomTableView.h"
#include "CustomTableViewDelegate.h"
#include "HeaderCellView.h"
#include "ParTableHeaderCell.h"
#include "ParTableView.h"
#include "Theme.h"

#include "ControlsTestSupport.h"
#include "TablesTestSupport.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

using namespace tables;

namespace {

// Samples the right end of a row, away from the cell texts.
QColor rowColor(const QImage &image, QTableView &table, int row, int yInRow = -1)
{
    const int top = table.rowViewportPosition(row);
    const int y = yInRow < 0 ? top + table.rowHeight(row) / 2 : top + yInRow;
    return image.pixelColor(image.width() - 4, y);
}

template <typename Table>
struct Fixture
{
    QWidget window;
    Table *table = new Table(&window);
    QStandardItemModel *model = makeModel(5, 2, &window);

    Fixture()
    {
        window.resize(320, 240);
        table->setGeometry(0, 0, 320, 240);
        table->setModel(model);
        table->verticalHeader()->setDefaultSectionSize(24);
        showAndSettle(&window);
    }
};

struct RecordingDelegate : CustomTableViewDelegate, CustomListTableViewDelegate
{
    void listRightMouseDown(QMouseEvent *event) override
    {
        ++calls;
        position = event->position().toPoint();
    }
    int calls = 0;
    QPoint position;
};

// A parent that notes whether a context menu request reached it.
class MenuWatcher : public QWidget
{
public:
    bool sawMenu = false;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        sawMenu = true;
        event->accept();
    }
};

} // namespace

TEST(RowStyledTableView, StoredRowAloneLooksSelected)
{
    Fixture<CustomTableView> f;
    const QColor normal = theme::lightRowFill();
    const QColor selected = theme::lightRowSelectedFill();

    // Nobody has stored a row yet: the first row is painted as the selected one.
    EXPECT_EQ(f.table->rowNum(), 0);
    QImage image = viewportImage(f.table);
    EXPECT_EQ(rowColor(image, *f.table, 0), selected);
    EXPECT_EQ(rowColor(image, *f.table, 1), normal);

    // The platform's selection says row 1, the owner stored row 3: only row 3 looks selected.
    f.table->selectRow(1);
    f.table->setRowNum(3);
    image = viewportImage(f.table);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(rowColor(image, *f.table, row), row == 3 ? selected : normal) << "row " << row;

    // Stored rows outside the list match no row.
    for (int outside : {-1, 5}) {
        f.table->setRowNum(outside);
        image = viewportImage(f.table);
        for (int row = 0; row < 5; ++row)
            EXPECT_EQ(rowColor(image, *f.table, row), normal) << "stored " << outside << " row " << row;
    }
}

TEST(RowStyledTableView, SeparatorRunsAlongEachRowsLastPixelRow)
{
    Fixture<CustomTableView> f;
    f.table->setRowNum(-1);
    const QImage image = viewportImage(f.table);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(rowColor(image, *f.table, row, 23), theme::lightRowSeparator()) << "row " << row;
        EXPECT_EQ(rowColor(image, *f.table, row, 22), theme::lightRowFill()) << "row " << row;
    }
    // From the row's left end as well.
    EXPECT_EQ(image.pixelColor(0, f.table->rowViewportPosition(2) + 23), theme::lightRowSeparator());
}

TEST(RowStyledTableView, DarkAndStripedMembersPickTheirOwnFills)
{
    {
        Fixture<BroTableView> f;
        f.table->setRowNum(1);
        const QImage image = viewportImage(f.table);
        EXPECT_EQ(rowColor(image, *f.table, 0), theme::darkRowFill());
        EXPECT_EQ(rowColor(image, *f.table, 1), theme::darkRowSelectedFill());
        // A half-point line: between the fill and the line colour.
        const QColor line = rowColor(image, *f.table, 0, 23);
        EXPECT_NE(line, theme::darkRowFill());
        EXPECT_TRUE(near(line, QColor((62 + 58) / 2, (73 + 64) / 2, (110 + 101) / 2), 3)) << line.name().toStdString();
    }
    {
        Fixture<ParTableView> f;
        f.table->setRowNum(2);
        const QImage image = viewportImage(f.table);
        EXPECT_EQ(rowColor(image, *f.table, 2), theme::darkRowSelectedFill());
        EXPECT_EQ(rowColor(image, *f.table, 1, 23), theme::darkRowFill()) << "no separator";
    }
    {
        Fixture<CommSetSelectBgTableView> f;
        f.table->setRowNum(3);
        const QImage image = viewportImage(f.table);
        EXPECT_EQ(rowColor(image, *f.table, 0), QColor(255, 255, 255));
        EXPECT_EQ(rowColor(image, *f.table, 1), QColor(245, 245, 245));
        EXPECT_EQ(rowColor(image, *f.table, 2), QColor(255, 255, 255));
        EXPECT_TRUE(near(rowColor(image, *f.table, 3), overWhite(theme::stripedRowSelectedFill())));
        EXPECT_EQ(rowColor(image, *f.table, 4), theme::stripedRowEvenFill());
    }
}

TEST(RowStyledTableView, SelectedRowNeverGetsThePlatformHighlight)
{
    Fixture<CustomListTableView> f;
    f.table->setRowNum(-1);
    f.table->setFocus();
    f.table->selectRow(2);
    const QImage image = viewportImage(f.table);
    // Across the whole row, including where the text is.
    const int y = f.table->rowViewportPosition(2) + 12;
    for (int x = 0; x < image.width(); x += 3) {
        const QColor pixel = image.pixelColor(x, y);
        const QColor text = f.table->palette().color(QPalette::Text);
        if (pixel != text && !near(pixel, text, 120)) {
            EXPECT_TRUE(near(pixel, theme::darkRowFill(), 60)) << "x " << x << " " << pixel.name().toStdString();
        }
    }
}

TEST(RowStyledTableView, PaintingDoesNotScheduleMorePainting)
{
    Fixture<CustomTableView> f;
    int paints = 0;
    struct Counter : QObject
    {
        int *paints;
        explicit Counter(int *p) : paints(p) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++*paints;
            return false;
        }
    } counter(&paints);
    f.table->viewport()->installEventFilter(&counter);
    f.table->viewport()->repaint();
    const int afterOne = paints;
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(5);
    }
    EXPECT_EQ(paints, afterOne);
    // Storing a row is what repaints.
    f.table->setRowNum(4);
    QApplication::processEvents();
    EXPECT_GT(paints, afterOne);
}

TEST(RowStyledTableView, HeadersAreDrawnCellsAtFixedHeights)
{
    Fixture<CustomTableView> light;
    auto *header = light.table->headerCellView();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(light.table->horizontalHeader(), header);
    EXPECT_EQ(header->height(), 20);
    auto *cell = dynamic_cast<CustomHeaderCell *>(header->headerCell(1));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->stringValue(), QStringLiteral("Column 1"));
    EXPECT_EQ(cell->textColor(), theme::lightHeaderTitle());

    Fixture<ParTableView> dark;
    EXPECT_EQ(dark.table->headerCellView()->height(), 25);
    EXPECT_NE(dynamic_cast<ParTableHeaderCell *>(dark.table->headerCellView()->headerCell(0)), nullptr);

    // An owner may put its own cell on one column.
    light.table->headerCellView()->setHeaderCell(0, std::make_unique<ParTableHeaderCell>());
    EXPECT_NE(dynamic_cast<ParTableHeaderCell *>(light.table->headerCellView()->headerCell(0)), nullptr);
    EXPECT_EQ(light.table->headerCellView()->headerCell(7), nullptr);

    Fixture<BroTableView> plain;
    EXPECT_EQ(plain.table->headerCellView(), nullptr);
}

TEST(RowStyledTableView, RightClicksGoToTheListDelegateOnly)
{
    RecordingDelegate delegate;
    MenuWatcher parent;
    parent.resize(320, 240);
    auto *table = new CustomTableView(&parent);
    table->setGeometry(0, 0, 320, 240);
    table->setModel(makeModel(5, 2, &parent));
    showAndSettle(&parent);
    table->setRowNum(1);
    table->selectRow(1);
    QWidget *viewport = table->viewport();
    const QPoint onRow3(40, table->rowViewportPosition(3) + 5);

    QList<int> movedTo;
    QObject::connect(table, &RowStyledTableView::currentRowChanged, [&](int row) { movedTo << row; });

    // Without a delegate no menu comes, not even the platform's.
    controls::sendMouse(viewport, QEvent::MouseButtonPress, Qt::RightButton, onRow3);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, onRow3, viewport->mapToGlobal(onRow3));
    QApplication::sendEvent(viewport, &menu);
    EXPECT_FALSE(parent.sawMenu);

    // A right click first makes its row the current one, so that the owner highlights the row
    // the menu acts on; the stored row stays the owner's to set.
    table->setListDelegate(&delegate);
    table->setCurrentIndex(table->model()->index(1, 0));
    movedTo.clear();
    controls::sendMouse(viewport, QEvent::MouseButtonPress, Qt::RightButton, onRow3);
    EXPECT_EQ(delegate.calls, 1);
    EXPECT_EQ(delegate.position, onRow3);
    EXPECT_EQ(table->indexAt(delegate.position).row(), 3);
    EXPECT_EQ(table->currentIndex().row(), 3);
    EXPECT_EQ(movedTo, QList<int>{3});
    EXPECT_EQ(table->rowNum(), 1);

    // A quick second right click is delivered as well; left clicks are not.
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(onRow3), viewport->mapToGlobal(QPointF(onRow3)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &twice);
    controls::sendMouse(viewport, QEvent::MouseButtonPress, Qt::LeftButton, onRow3);
    EXPECT_EQ(delegate.calls, 2);

    // The dark twin delivers to its own protocol.
    CustomListTableView list;
    list.resize(200, 120);
    list.setModel(makeModel(3, 1, &list));
    list.setListDelegate(&delegate);
    showAndSettle(&list);
    controls::sendMouse(list.viewport(), QEvent::MouseButtonPress, Qt::RightButton, QPointF(10, 10));
    EXPECT_EQ(delegate.calls, 3);
}

namespace {
// A list whose owner reloads it whole, as the main window does.
class ReloadingModel : public QStandardItemModel
{
public:
    using QStandardItemModel::QStandardItemModel;
    void reload()
    {
        beginResetModel();
        endResetModel();
    }
};
} // namespace

TEST(RowStyledTableView, TheKeyboardMovesOpensTheMenuAndTicksOnItsRow)
{
    RecordingDelegate delegate;
    QWidget parent;
    parent.resize(320, 240);
    auto *table = new CustomTableView(&parent);
    table->setGeometry(0, 0, 320, 240);
    auto *model = new ReloadingModel(5, 2, &parent);
    table->setModel(model);
    table->setListDelegate(&delegate);
    showAndSettle(&parent);
    QList<int> movedTo;
    QList<int> toggled;
    QObject::connect(table, &RowStyledTableView::currentRowChanged, [&](int row) { movedTo << row; });
    QObject::connect(table, &RowStyledTableView::toggleRowRequested, [&](int row) { toggled << row; });

    table->setFocus();
    table->setCurrentIndex(model->index(1, 0));
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(movedTo.last(), 2);

    // The owner reloads everything on each change; the keyboard stays on its row.
    model->reload();
    EXPECT_EQ(table->keyboardRow(), 2);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(toggled, QList<int>{2});

    // Shift+F10 and the menu key's request open the menu as a right press in that row.
    QTest::keyClick(table, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(delegate.calls, 1);
    EXPECT_EQ(table->indexAt(delegate.position).row(), 2);
    QContextMenuEvent fromKey(QContextMenuEvent::Keyboard, QPoint(1, 1),
                              table->viewport()->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(table->viewport(), &fromKey);
    EXPECT_EQ(delegate.calls, 2);
    EXPECT_EQ(table->indexAt(delegate.position).row(), 2);

    // A list the keyboard has not entered toggles nothing.
    table->setCurrentIndex(QModelIndex());
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(toggled.size(), 1);
}

TEST(RowStyledTableView, SettingTheSameModelAgainKeepsTheViewListening)
{
    CustomTableView table;
    auto *model = new ReloadingModel(3, 1);
    table.setModel(model);
    table.setModel(model);
    table.setCurrentIndex(model->index(2, 0));
    model->reload();
    EXPECT_EQ(table.keyboardRow(), 2) << "the reload is followed once, not lost";
    // The view still hears its model go away instead of keeping a dangling pointer to it.
    delete model;
    EXPECT_EQ(table.model(), nullptr);
}

TEST(RowStyledTableView, OtherTablesKeepThePlatformsRightClick)
{
    Fixture<BroTableView> f;
    QWidget *viewport = f.table->viewport();
    controls::sendMouse(viewport, QEvent::MouseButtonPress, Qt::RightButton,
                        QPointF(40, f.table->rowViewportPosition(2) + 5));
    EXPECT_EQ(f.table->currentIndex().row(), 2);
}
