// The history outline: the stored row counts among the rows on show and alone looks selected.
#include "VQCustomOutlineView.h"
#include "Theme.h"

#include "TablesTestSupport.h"

#include <gtest/gtest.h>

#include <QStandardItemModel>

using namespace tables;

namespace {

struct Outline
{
    VQCustomOutlineView view;
    QStandardItemModel model;

    Outline()
    {
        for (int group = 0; group < 3; ++group) {
            auto *run = new QStandardItem(QStringLiteral("run %1").arg(group));
            for (int record = 0; record < 2; ++record)
                run->appendRow(new QStandardItem(QStringLiteral("record %1").arg(record)));
            model.appendRow(run);
        }
        view.setModel(&model);
        view.resize(300, 240);
        view.expand(model.index(0, 0));
        showAndSettle(&view);
    }

    QModelIndex run(int group) { return model.index(group, 0); }
    QModelIndex record(int group, int record) { return model.index(record, 0, run(group)); }
    QColor colorAt(const QImage &image, const QModelIndex &index)
    {
        const QRect rect = view.visualRect(index);
        return image.pixelColor(image.width() - 4, rect.center().y());
    }
};

} // namespace

TEST(VQCustomOutlineView, RowsCountAmongThoseOnShow)
{
    Outline o;
    EXPECT_EQ(o.view.visualRowOf(o.run(0)), 0);
    EXPECT_EQ(o.view.visualRowOf(o.record(0, 1)), 2);
    EXPECT_EQ(o.view.visualRowOf(o.run(1)), 3);
    EXPECT_EQ(o.view.visualRowOf(o.record(1, 0)), -1) << "inside a collapsed run";
    EXPECT_EQ(o.view.visualRowOf(QModelIndex()), -1);

    // Rows of one height, scrolled: still counted from the first row, and painted where they are.
    o.view.setUniformRowHeights(true);
    o.view.expandAll();
    o.view.resize(300, 60);
    o.view.scrollToBottom();
    EXPECT_EQ(o.view.visualRowOf(o.run(2)), 6);
    EXPECT_EQ(o.view.visualRowOf(o.record(2, 1)), 8);
    EXPECT_EQ(o.view.visualRowOf(o.record(0, 0)), 1) << "scrolled out of sight, still on show";
    o.view.setSelectCellBackgroundColorWithRow(8);
    const QImage image = viewportImage(&o.view);
    EXPECT_EQ(o.colorAt(image, o.record(2, 1)), theme::outlineRowSelectedFill());
    EXPECT_EQ(o.colorAt(image, o.record(2, 0)), theme::outlineRowFill());
}

TEST(VQCustomOutlineView, StoredRowAloneLooksSelected)
{
    Outline o;
    const QColor selected = theme::outlineRowSelectedFill();
    const QColor normal = theme::outlineRowFill();
    EXPECT_EQ(o.view.isSelectRow(), 0);
    QImage image = viewportImage(&o.view);
    EXPECT_EQ(o.colorAt(image, o.run(0)), selected);

    // The platform selects run 2; the history view stored the second record of run 0.
    o.view.setCurrentIndex(o.run(2));
    o.view.setSelectCellBackgroundColorWithRow(2);
    EXPECT_EQ(o.view.isSelectRow(), 2);
    image = viewportImage(&o.view);
    EXPECT_EQ(o.colorAt(image, o.record(0, 1)), selected);
    for (const QModelIndex &index : {o.run(0), o.record(0, 0), o.run(1), o.run(2)})
        EXPECT_EQ(o.colorAt(image, index), normal) << index.data().toString().toStdString();
    // Where the selected run's text is, nothing of a highlight either.
    const QRect runRect = o.view.visualRect(o.run(2));
    EXPECT_EQ(image.pixelColor(runRect.left() + runRect.width() - 2, runRect.top() + 1), normal);

    o.view.setSelectCellBackgroundColorWithRow(-1);
    image = viewportImage(&o.view);
    EXPECT_EQ(o.colorAt(image, o.run(0)), normal);
}

TEST(VQCustomOutlineView, KeepsTheRootListItIsGiven)
{
    VQCustomOutlineView view;
    EXPECT_TRUE(view.isRootArr().isEmpty());
    view.setIsRootArr({QStringLiteral("2026-01-02 10-00-00")});
    EXPECT_EQ(view.isRootArr().size(), 1);
}
