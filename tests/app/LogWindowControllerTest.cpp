#include "LogWindowController.h"

#include "DialogTestSupport.h"
#include "LogWindowControllerDelegate.h"
#include "TCImageWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QTest>

namespace {

class RecordingDelegate : public LogWindowControllerDelegate
{
public:
    QStringList calls;
    void emptyEndArr() override { calls << QStringLiteral("emptyEndArr"); }
    void closeLogWindow() override { calls << QStringLiteral("closeLogWindow"); }
};

FileObjList failedItems()
{
    FileObjList items;
    for (int i = 0; i < 3; ++i) {
        auto item = std::make_shared<FileObj>();
        item->setName(QStringLiteral("file%1.txt").arg(i));
        item->setUrl(QStringLiteral("/home/person/Documents/file%1.txt").arg(i));
        item->setFailStr(QStringLiteral("Permission denied"));
        item->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileIcon));
        items << item;
    }
    return items;
}

} // namespace

TEST(LogWindowController, RowsShowNamePathAndResultByColumn)
{
    LogWindowController controller;
    controller.setDeleteErrorArr(failedItems());
    EXPECT_EQ(controller.numberOfRowsInTableView(), 3);
    EXPECT_EQ(controller.objectValueForTableColumn(QStringLiteral("name"), 1).toString(), QStringLiteral("file1.txt"));
    EXPECT_EQ(controller.objectValueForTableColumn(QStringLiteral("path"), 1).toString(),
              QStringLiteral("/home/person/Documents/file1.txt"));
    EXPECT_EQ(controller.objectValueForTableColumn(QStringLiteral("fail"), 1).toString(), QStringLiteral("Permission denied"));
    EXPECT_FALSE(controller.objectValueForTableColumn(QStringLiteral("size"), 1).isValid());
    EXPECT_FALSE(controller.objectValueForTableColumn(QStringLiteral("name"), 3).isValid());

    EXPECT_FALSE(controller.iconForTableColumn(QStringLiteral("name"), 2).isNull());
    EXPECT_TRUE(controller.iconForTableColumn(QStringLiteral("name"), 3).isNull()) << "no icon beyond the list";
    EXPECT_TRUE(controller.iconForTableColumn(QStringLiteral("name"), -1).isNull());
    EXPECT_TRUE(controller.iconForTableColumn(QStringLiteral("path"), 0).isNull());

    controller.window();
    QTableWidget *table = controller.logTableView();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(2, 1)->text(), QStringLiteral("/home/person/Documents/file2.txt"));
    EXPECT_FALSE(table->item(0, 0)->icon().isNull());
    EXPECT_FALSE(table->item(0, 0)->flags() & Qt::ItemIsEditable);
}

TEST(LogWindowController, ButtonsEmptyTheListAndAskTheOwnerToClose)
{
    dialogtest::DialogBundle bundle;
    LogWindowController controller;
    RecordingDelegate delegate;
    controller.setDelegate(&delegate);
    controller.setDeleteErrorArr(failedItems());
    controller.window();
    EXPECT_EQ(controller.emptyListButton()->geometry(), QRect(10, 440 - 10 - 32, 100, 32));
    EXPECT_EQ(controller.okButton()->geometry(), QRect(698, 440 - 10 - 32, 92, 32));

    QTest::mouseClick(controller.emptyListButton(), Qt::LeftButton);
    EXPECT_TRUE(controller.deleteErrorArr().isEmpty());
    EXPECT_EQ(controller.logTableView()->rowCount(), 0);
    QTest::mouseClick(controller.emptyListButton(), Qt::LeftButton);
    EXPECT_EQ(delegate.calls, (QStringList{QStringLiteral("emptyEndArr"), QStringLiteral("emptyEndArr")}))
        << "told even when the list already was empty";

    QTest::mouseClick(controller.okButton(), Qt::LeftButton);
    EXPECT_EQ(delegate.calls.last(), QStringLiteral("closeLogWindow"));

    controller.setDelegate(nullptr);
    controller.emptyButtonAction();
    controller.closeLogWindow();
    EXPECT_EQ(delegate.calls.size(), 3);
}

TEST(LogWindowController, Preview)
{
    dialogtest::DialogBundle bundle;
    LogWindowController controller;
    controller.setDeleteErrorArr(failedItems());
    dialogtest::savePreview(controller.window(), QStringLiteral("log"));
    controller.emptyButtonAction();
    dialogtest::savePreview(controller.window(), QStringLiteral("log-empty"));
}
