// Renders filled lists, an outline, the header cells and the scroller to PNGs in the preview folder,
// for people to look at (scripts/previews.sh); the file list's fit is also checked as a test.
#include "CommSetSelectBgTableView.h"
#include "CustomHeaderCell.h"
#include "CustomTableHeaderView.h"
#include "CustomTableView.h"
#include "HeaderCellView.h"
#include "ImageAndTextCell.h"
#include "ParTableHeaderCell.h"
#include "ParTableView.h"
#include "RFOverlayScrollView.h"
#include "RFOverlayScroller.h"
#include "Theme.h"
#include "VQCustomOutlineView.h"

#include "TablesTestSupport.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>

using namespace tables;

namespace {

QString save(const QImage &image, const QString &name)
{
    const QString folder = testsupport::previewFolder(QStringLiteral("tables"));
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return image.save(path) ? path : QString();
}

QStandardItemModel *fileListModel(QObject *parent)
{
    const char *const names[] = {"Quarterly report.pdf", "Photos", "notes.txt", "tax-2025.xlsx",
                                 "Old backups", "passwords.kdbx", "draft letter.odt", "holiday.mov",
                                 "contracts", "scan-0001.png", "budget.csv", "private.key"};
    const char *const sizes[] = {"1.27 MB", "412.55 MB", "3.10 KB", "88.40 KB", "2.31 GB", "12.29 KB",
                                 "45.02 KB", "1.08 GB", "7.90 MB", "2.44 MB", "6.71 KB", "1.68 KB"};
    auto *model = new QStandardItemModel(0, 5, parent);
    model->setHorizontalHeaderLabels({QString(), QStringLiteral("Name"), QStringLiteral("Size"),
                                      QStringLiteral("Type"), QStringLiteral("Result")});
    QStyle *style = QApplication::style();
    for (int row = 0; row < 12; ++row) {
        const QString name = QString::fromUtf8(names[row]);
        const bool folder = !name.contains(QLatin1Char('.'));
        auto *check = new QStandardItem;
        check->setCheckable(true);
        check->setCheckState(row % 4 == 3 ? Qt::Unchecked : Qt::Checked);
        auto *item = new QStandardItem(style->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon), name);
        item->setData(200, ImageAndTextCell::SubWidthRole);
        model->appendRow({check, item, new QStandardItem(QString::fromUtf8(sizes[row])),
                          new QStandardItem(folder ? QStringLiteral("Folder") : QStringLiteral("Document")),
                          new QStandardItem(row < 2 ? QStringLiteral("Erased") : QString())});
    }
    return model;
}

void styleFileList(QTableView *table)
{
    table->setFrameShape(QFrame::NoFrame);
    table->verticalHeader()->setDefaultSectionSize(32);
    table->setIconSize(QSize(20, 20));
    table->setColumnWidth(0, 34);
    table->setColumnWidth(1, 220);
    table->setColumnWidth(2, 100);
    table->setColumnWidth(3, 100);
}

} // namespace

// The main window's file list as it is styled, scrolled one row down with its scroller shown.
struct FileListScene
{
    RFOverlayScrollView view;
    CustomTableView *table = new CustomTableView;

    FileListScene()
    {
        view.resize(560, 300);
        table->setModel(fileListModel(table));
        styleFileList(table);
        // The owner's own cell for the name column draws over the row backgrounds.
        table->setItemDelegateForColumn(1, new ImageAndTextCell(table));
        table->setRowNum(2);
        view.setDocumentView(table);
        showAndSettle(&view);
        table->verticalScrollBar()->setValue(1);
        view.verticalScroller()->setAlpha(1.0);
    }
};

TEST(Tables, TheFileListsColumnsFitInAnOverlayScrollView)
{
    FileListScene scene;
    EXPECT_EQ(scene.table->horizontalScrollBar()->maximum(), 0) << "the columns fit";
}

TEST(TablesPreview, FileListInAnOverlayScrollView)
{
    FileListScene scene;
    EXPECT_FALSE(save(scene.view.grab().toImage(), QStringLiteral("file-list")).isEmpty());
}

TEST(TablesPreview, HistoryOutline)
{
    RFOverlayScrollView view;
    view.resize(560, 260);
    auto *outline = new VQCustomOutlineView;
    outline->setFrameShape(QFrame::NoFrame);
    auto *model = new QStandardItemModel(0, 3, outline);
    model->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Method"), QStringLiteral("Items")});
    const char *const runs[] = {"2026-12-09 05-20-11", "2026-12-08 17-02-45", "2026-12-01 09-13-00"};
    for (int run = 0; run < 3; ++run) {
        QList<QStandardItem *> group{new QStandardItem(QString::fromUtf8(runs[run])),
                                     new QStandardItem(QStringLiteral("DoD 5220.22-M ECE")),
                                     new QStandardItem(QStringLiteral("%1").arg(run + 2))};
        for (int record = 0; record < run + 2; ++record)
            group.first()->appendRow({new QStandardItem(QStringLiteral("/home/ana/file-%1.txt").arg(record)),
                                      new QStandardItem(QStringLiteral("Erased")), new QStandardItem});
        model->appendRow(group);
    }
    outline->setModel(model);
    outline->verticalScrollBar();
    outline->setColumnWidth(0, 260);
    outline->expandAll();
    outline->setSelectCellBackgroundColorWithRow(2);
    view.setDocumentView(outline);
    showAndSettle(&view);
    view.verticalScroller()->setAlpha(1.0);
    EXPECT_FALSE(save(view.grab().toImage(), QStringLiteral("history-outline")).isEmpty());
}

TEST(TablesPreview, DarkAndStripedLists)
{
    QWidget sheet;
    sheet.resize(760, 220);
    auto *dark = new ParTableView(&sheet);
    dark->setGeometry(10, 10, 360, 200);
    dark->setFrameShape(QFrame::NoFrame);
    dark->setModel(makeModel(6, 3, dark));
    dark->setRowNum(1);
    dark->horizontalHeader()->setFixedHeight(25);
    QPalette text = dark->palette();
    text.setColor(QPalette::Text, theme::darkHeaderTitle());
    dark->setPalette(text);
    auto *striped = new CommSetSelectBgTableView(&sheet);
    striped->setGeometry(390, 10, 360, 200);
    striped->setModel(makeModel(6, 3, striped));
    striped->setRowNum(3);
    showAndSettle(&sheet);
    static_cast<ParTableHeaderCell *>(dark->headerCellView()->headerCell(0))->setSortAscending(false, 0);
    EXPECT_FALSE(save(sheet.grab().toImage(), QStringLiteral("dark-and-striped")).isEmpty());
}

TEST(TablesPreview, HeaderCellsAndScrollerStates)
{
    QImage image(560, 190, QImage::Format_ARGB32);
    image.fill(theme::rgb(244, 245, 247));
    QPainter painter(&image);
    CustomTableHeaderView title(QStringLiteral("Name"));
    auto draw = [&](TableHeaderCell &cell, int column, int row, bool pressed, int height) {
        const QRectF frame(10 + column * 135, 10 + row * 40, 120, height);
        if (pressed)
            cell.highlight(true, &painter, frame, nullptr);
        else
            cell.drawWithFrame(&painter, frame, nullptr);
    };
    ParTableHeaderCell dark(&title);
    CustomHeaderCell light(&title);
    CustomTableHeaderView plain(QStringLiteral("Name"));
    plain.setTextColor(Qt::black);
    draw(dark, 0, 0, false, 25);
    draw(dark, 1, 0, true, 25);
    dark.setSortAscending(true, 0);
    draw(dark, 2, 0, false, 25);
    dark.setSortAscending(false, 0);
    draw(dark, 3, 0, false, 25);
    draw(light, 0, 1, false, 20);
    light.setSortAscending(true, 0);
    draw(light, 1, 1, false, 20);
    draw(plain, 2, 1, false, 22);
    draw(plain, 3, 1, true, 22);

    // The scroller over white content at the top, the middle and the end, then half faded.
    QWidget host;
    host.resize(40, 90);
    auto *scroller = new RFOverlayScroller(&host);
    scroller->setGeometry(20, 0, RFOverlayScroller::scrollerWidth(), 90);
    scroller->setRange(0, 200);
    scroller->setPageStep(100);
    const int values[] = {0, 100, 200, 100};
    for (int i = 0; i < 4; ++i) {
        scroller->setValue(values[i]);
        scroller->setAlpha(i == 3 ? 0.4 : 1.0);
        const QPoint origin(10 + i * 60, 90);
        painter.fillRect(QRect(origin, QSize(40, 90)), Qt::white);
        scroller->render(&painter, origin + QPoint(20, 0), QRegion(), QWidget::DrawChildren);
    }
    painter.end();
    EXPECT_FALSE(save(image, QStringLiteral("headers-and-scroller")).isEmpty());
}
