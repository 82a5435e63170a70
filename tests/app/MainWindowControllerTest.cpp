// The main window: adding items, the list's check boxes and texts, the right-click menu, the
// panes and a whole erase run with a stand-in "srm".
#include "MainWindowController.h"

#include "ApplicationModal.h"
#include "DoDataBase.h"
#include "EraseAndFreeSpaceProWCDelegate.h"
#include "HistoryWindowController.h"
#include "KitGeometry.h"
#include "MainWindowTestSupport.h"
#include "NSProgressBar.h"
#include "RunWindowTestSupport.h"
#include "SetEraserTimesWindowController.h"
#include "ShredProgressWindowController.h"
#include "TCImageWindow.h"
#include "VQProgressView.h"

#include <gtest/gtest.h>

#include "platform/NativePath.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using mainwindow::FakePanels;
using mainwindow::MainBundle;
using mainwindow::RecordingWorkspace;
using testsupport::waitUntil;
using Pane = MainWindowController::Pane;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        MainWindowController::setFileSystemTypeSource([this](const QString &path) {
            return m_ntfsPaths.contains(path) ? m_ntfsType : QStringLiteral("ext4");
        });
        MainWindowController::setExitHandler([this](int status) { m_exits << status; });
        m_controller = std::make_unique<MainWindowController>();
    }
    void TearDown() override
    {
        m_controller.reset();
        MainWindowController::setFileSystemTypeSource({});
        MainWindowController::setExitHandler({});
        UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes"));
    }

    QString makeFile(const QString &relative, const QByteArray &content = "secret")
    {
        return testsupport::writeFileAt(m_files.filePath(relative), content);
    }
    QString makeFolder(const QString &relative)
    {
        const QString path = m_files.filePath(relative);
        QDir().mkpath(path);
        return path;
    }
    QStringList listedPaths() const { return testsupport::urlsOf(m_controller->valueArr()); }
    static QStringList paths(const FileObjList &list) { return testsupport::urlsOf(list); }

    // Presses the erase button and "Erase Now", then waits for the result pane.
    bool eraseSelected()
    {
        m_controller->doEraserButtonClick();
        ShredProgressWindowController *progress = m_controller->shredProgessWC();
        if (!progress)
            return false;
        progress->beginToDelete();
        return waitUntil([progress] {
            return dialogs::shown(progress->successBlowView()) || dialogs::shown(progress->failBlowView());
        });
    }

    MainBundle m_bundle;
    RecordingWorkspace m_workspace;
    FakePanels m_panels;
    dialogs::ModalRecorder m_modal;
    QTemporaryDir m_files;
    QStringList m_ntfsPaths;
    QString m_ntfsType = QStringLiteral("ntfs3");
    QList<int> m_exits;
    std::unique_ptr<MainWindowController> m_controller;
};

} // namespace

// ---- Window, title bar and panes ----

TEST_F(MainWindowTest, BuildsTheWindowWithTitleButtonsAndTheAddPane)
{
    TCImageWindow *window = m_controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->contentView()->size(), QSize(590, 440));
    EXPECT_EQ(window->titleBarHeight(), 22);
    EXPECT_TRUE(window->isMovableByWindowBackground());
    EXPECT_EQ(m_controller->titleLabel()->text(), QStringLiteral("Ostrivan Nullwell Free"));
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);
    EXPECT_EQ(m_controller->setButton()->toolTip(), QStringLiteral("Set data erasure method"));
    EXPECT_EQ(m_controller->historyButton()->toolTip(), QStringLiteral("Erasure history"));
    EXPECT_EQ(m_controller->setButton()->parentWidget(), m_controller->addNodeView());
    EXPECT_EQ(kit::bottomLeftFrame(m_controller->setButton()), QRectF(546, 344, 24, 24));
    EXPECT_EQ(kit::bottomLeftFrame(m_controller->historyButton()), QRectF(546, 288, 24, 24));
    // Every image the window names ships with it.
    for (const char *name : {"bg_left_top", "btn_erase", "btn_erase_disable", "checkbox_yes", "checkbox_no",
                             "checkbox_election", "ic_settings", "ic_history_hover", "drop_files", "btn_add"})
        EXPECT_FALSE(ImageLibrary::imageNamed(QString::fromLatin1(name)).isNull()) << name;
    // The header box starts ticked over the empty list.
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_yes"));
    EXPECT_EQ(m_controller->selectAllButton()->parentWidget(), m_controller->valueTableView()->horizontalHeader());
}

// The window opens on the add pane; the list pane is made when a drop first shows it, and Tab
// then goes from the add pane to the list before the title bar's buttons, as it always did.
TEST_F(MainWindowTest, TheListPaneIsMadeWhenFirstShownAndKeepsItsPlaceInTheTabOrder)
{
    EXPECT_TRUE(m_controller->window()->findChildren<CustomTableView *>().isEmpty());
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_yes"));

    m_controller->viewDragAction({makeFile(QStringLiteral("one.txt"))});
    ASSERT_EQ(m_controller->window()->findChildren<CustomTableView *>().size(), 1);
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);
    EXPECT_FALSE(m_controller->addNodeView()->isVisibleTo(m_controller->window()));
    EXPECT_EQ(m_controller->valueTableView()->model()->rowCount(), 1);

    QList<QWidget *> order;
    for (QWidget *widget = m_controller->addFilesButton()->nextInFocusChain(); widget != m_controller->window();
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() != Qt::NoFocus)
            order.append(widget);
    }
    ASSERT_FALSE(order.isEmpty());
    EXPECT_TRUE(m_controller->listTableView()->isAncestorOf(order.first()));
    const qsizetype settings = order.indexOf(m_controller->setButton());
    ASSERT_GE(settings, 0);
    for (QWidget *widget : {static_cast<QWidget *>(m_controller->valueTableView()),
                            static_cast<QWidget *>(m_controller->eraserFileButton()),
                            static_cast<QWidget *>(m_controller->selectAllButton())})
        EXPECT_LT(order.indexOf(widget), settings);
}

TEST(MainWindowTitle, NamesTheEditionOnce)
{
    EXPECT_EQ(MainWindowController::titleText(QStringLiteral("Free")), QStringLiteral("Ostrivan Nullwell Free"));
    EXPECT_EQ(MainWindowController::titleText(QStringLiteral("Ostrivan Nullwell")), QStringLiteral("Ostrivan Nullwell"));
    EXPECT_EQ(MainWindowController::titleText(QStringLiteral("Ostrivan Nullwell Pro")),
              QStringLiteral("Ostrivan Nullwell Pro"));
    EXPECT_EQ(MainWindowController::titleText(QString()), QStringLiteral("Ostrivan Nullwell"));
}

TEST_F(MainWindowTest, CloseButtonEndsTheProcessWithStatusZero)
{
    m_controller->window()->standardWindowButton(TCImageWindow::CloseButton)->click();
    EXPECT_EQ(m_exits, QList<int>{0});
}

TEST_F(MainWindowTest, PanesSwapAndTheBackActionsAlwaysReturnToTheAddPane)
{
    m_controller->viewDragAction({makeFile(QStringLiteral("a.txt"))});
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);

    m_controller->historyButton()->click();
    EXPECT_EQ(m_controller->visiblePane(), Pane::History);
    ASSERT_NE(m_controller->historyWC(), nullptr);
    HistoryWindowController *history = m_controller->historyWC();
    EXPECT_EQ(history->contentView()->parentWidget(), m_controller->historyView());
    EXPECT_EQ(history->contentView()->geometry(), QRect(0, 0, 590, 440));
    m_controller->backButtonAction();
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add) << "the add pane even with items listed";
    m_controller->showLogWindow();
    EXPECT_EQ(m_controller->historyWC(), history) << "made once, kept";

    dialogs::storeEraserTimes(7);
    m_controller->setButton()->click();
    EXPECT_EQ(m_controller->visiblePane(), Pane::Settings);
    ASSERT_NE(m_controller->setWC(), nullptr);
    EXPECT_EQ(m_controller->setWC()->contentView()->parentWidget(), m_controller->setView());
    EXPECT_EQ(m_controller->setWC()->selectEraserTimes(), 3) << "the stored method shows";
    m_controller->setWC()->backHomeButtonAction();
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);
    EXPECT_FALSE(m_controller->progressView()->isVisibleTo(m_controller->window()));

    m_controller->emptyListButton()->click();
    EXPECT_TRUE(m_controller->valueArr().isEmpty());
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_no"));
    EXPECT_FALSE(m_controller->eraserFileButton()->isEnabled());
}

TEST_F(MainWindowTest, TheHistoryIsReadOnceWhenItsPaneFirstOpensAndAgainEachTimeAfter)
{
    // Without a store every read says so in the log: the count of those lines is the count of reads.
    ASSERT_TRUE(QFile::remove(DoDataBase::returnDoDataBase()->getDataBase()));
    testsupport::LogCapture log;
    const auto reads = [&log] { return log.lines().count(QStringLiteral("打开数据库失败！")); };
    m_controller->historyButton()->click();
    EXPECT_EQ(reads(), 1);
    m_controller->backButtonAction();
    m_controller->showLogWindow();
    EXPECT_EQ(reads(), 2) << "a later visit shows runs recorded since";
}

// ---- Adding ----

TEST_F(MainWindowTest, DropAddsFilesAndFoldersOnceWithTheirTexts)
{
    const QString report = makeFile(QStringLiteral("Report.PDF"), QByteArray(1500, 'x'));
    const QString folder = makeFolder(QStringLiteral("Photos"));
    makeFile(QStringLiteral("Photos/one.jpg"), QByteArray(5000, 'y'));
    const QString plain = makeFile(QStringLiteral("README"), "12345");
    m_controller->viewDragAction({report, folder, plain});
    const QString twice = makeFile(QStringLiteral("twice.txt"));
    m_controller->viewDragAction(
        {report, QDir::cleanPath(m_files.path() + QStringLiteral("/./Report.PDF")), twice, twice});

    ASSERT_EQ(listedPaths(), (QStringList{report, folder, plain, twice}))
        << "the same path string is skipped; nothing else is compared";
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);
    EXPECT_EQ(m_controller->cellText(QStringLiteral("name"), 0), QStringLiteral("Report.PDF"));
    EXPECT_EQ(m_controller->cellText(QStringLiteral("path"), 0), report);
    EXPECT_EQ(m_controller->cellText(QStringLiteral("size"), 0), QStringLiteral("1.50 KB"));
    EXPECT_EQ(m_controller->cellText(QStringLiteral("type"), 0), QStringLiteral("PDF")) << "case kept";
    EXPECT_EQ(m_controller->cellText(QStringLiteral("size"), 1), QStringLiteral("--"));
    EXPECT_EQ(m_controller->cellText(QStringLiteral("type"), 1), QStringLiteral("Folder"));
    EXPECT_EQ(m_controller->valueArr()[1]->size(), 0);
    EXPECT_EQ(m_controller->cellText(QStringLiteral("type"), 2), QString());
    EXPECT_EQ(m_controller->cellText(QStringLiteral("size"), 2), QStringLiteral("5 byte"));
    for (const FileObjPtr &item : m_controller->valueArr()) {
        EXPECT_TRUE(item->isSelect());
        EXPECT_FALSE(item->icon().isNull()) << item->name().toStdString();
    }
    EXPECT_EQ(m_controller->selectAllState(), 2);
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_yes"));
    EXPECT_TRUE(m_controller->eraserFileButton()->isEnabled());
    EXPECT_EQ(m_controller->valueTableView()->model()->rowCount(), 4);
}

TEST_F(MainWindowTest, ALinkIsAddedAsALinkAndAnAppFolderIsAFolder)
{
    const QString target = makeFolder(QStringLiteral("real"));
    const QString link = m_files.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    const QString bundle = makeFolder(QStringLiteral("Tool.app"));
    const QString appFile = makeFile(QStringLiteral("script.app"));
    m_controller->viewDragAction({link, bundle, appFile});
    ASSERT_EQ(m_controller->valueArr().size(), 3);
    EXPECT_FALSE(m_controller->valueArr()[0]->isDir()) << "the folder test does not follow links";
    EXPECT_TRUE(m_controller->valueArr()[0]->isSymbolicLink());
    EXPECT_EQ(m_controller->valueArr()[0]->size(), target.toUtf8().size()) << "the link's own size";
    EXPECT_EQ(m_controller->valueArr()[1]->type(), QStringLiteral("Folder"));
    EXPECT_FALSE(m_controller->valueArr()[2]->isDir());
    EXPECT_EQ(m_controller->valueArr()[2]->type(), QStringLiteral("app"));
}

TEST_F(MainWindowTest, OnlyTheFirstItemOnNtfsStopsAnAdding)
{
    const QString onNtfs = makeFile(QStringLiteral("ntfs.txt"));
    const QString local = makeFile(QStringLiteral("local.txt"));
    m_ntfsPaths << onNtfs;

    m_controller->viewDragAction({onNtfs, local});
    EXPECT_TRUE(m_controller->valueArr().isEmpty());
    EXPECT_EQ(m_modal.runs, 1) << "the NTFS notice runs modally";
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);

    m_controller->viewDragAction({local, onNtfs});
    EXPECT_EQ(listedPaths(), (QStringList{local, onNtfs})) << "a first item elsewhere lets every item in";
    EXPECT_EQ(m_modal.runs, 1);

    EXPECT_TRUE(MainWindowController::isNTFSType(QStringLiteral("NTFS")));
    EXPECT_TRUE(MainWindowController::isNTFSType(QStringLiteral("fuse.ntfs-3g")));
    EXPECT_TRUE(MainWindowController::isNTFSType(QStringLiteral("UFSD_LIFS")));
    EXPECT_FALSE(MainWindowController::isNTFSType(QStringLiteral("Ntfs")));
    EXPECT_FALSE(MainWindowController::isNTFSType(QString()));
}

TEST_F(MainWindowTest, OpenPanelAddsItsChoiceAndKeepsItsFrame)
{
    const QString a = makeFile(QStringLiteral("a.txt"));
    const QString folder = makeFolder(QStringLiteral("docs"));
    m_panels.answer.ok = true;
    m_panels.answer.paths = {a, folder};
    m_panels.answer.frame = QRect(100, 120, 500, 380);
    const QRect windowFrame = m_controller->window()->geometry();
    testsupport::LogCapture log;

    m_controller->addFileButtonAction();
    const Panels::OpenOptions &options = m_panels.lastOptions;
    EXPECT_TRUE(options.canChooseFiles);
    EXPECT_TRUE(options.canChooseDirectories);
    EXPECT_FALSE(options.showsHiddenFiles);
    EXPECT_TRUE(options.allowsMultipleSelection);
    EXPECT_EQ(options.prompt, QStringLiteral("Add"));
    EXPECT_EQ(options.directory, QStringLiteral("/"));
    EXPECT_EQ(options.frame, QRect(windowFrame.topLeft(), windowFrame.size() - QSize(0, 75)))
        << "first opening: the main window's frame less 75 in height";
    EXPECT_EQ(listedPaths(), (QStringList{a, folder}));
    EXPECT_TRUE(m_controller->valueArr()[1]->isDir());
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);
    EXPECT_EQ(m_controller->panelFrame(), QRect(100, 120, 500, 380));
    EXPECT_TRUE(log.contains(QStringLiteral("Result:"))) << "the first item's volume is logged";

    // Cancel keeps the frame and shows the list again.
    m_controller->backButtonAction();
    m_panels.answer = Panels::OpenResult{false, {}, QRect(10, 10, 400, 300)};
    m_controller->addFileButtonAction();
    EXPECT_EQ(m_panels.lastOptions.frame, QRect(100, 120, 500, 380)) << "the next opening starts from it";
    EXPECT_EQ(m_controller->panelFrame(), QRect(10, 10, 400, 300));
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);
}

TEST_F(MainWindowTest, TheRootFolderStopsTheAddingWhereItStands)
{
    const QString a = makeFile(QStringLiteral("a.txt"));
    const QString b = makeFile(QStringLiteral("b.txt"));
    m_panels.answer = Panels::OpenResult{true, {QStringLiteral("/")}, QRect(1, 2, 300, 200)};
    const QRect windowFrame = m_controller->window()->geometry();
    m_controller->addFileButtonAction();
    EXPECT_TRUE(m_controller->valueArr().isEmpty());
    EXPECT_EQ(m_controller->panelFrame(), QRect(windowFrame.topLeft(), windowFrame.size() - QSize(0, 75)))
        << "the panel's own frame is not kept";

    m_panels.answer = Panels::OpenResult{true, {a, QStringLiteral("/"), b}, QRect(1, 2, 300, 200)};
    m_controller->addFileButtonAction();
    EXPECT_EQ(listedPaths(), QStringList{a});
    EXPECT_EQ(m_controller->selectAllState(), 0) << "not recomputed";
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);

    m_controller->viewDragAction({QStringLiteral("/"), b});
    EXPECT_EQ(listedPaths(), QStringList{a});

    // Every other way of writing or reaching "/" stops it just the same.
    const QString rootLink = m_files.filePath(QStringLiteral("to-root"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/"), rootLink));
    const QString upLink = m_files.filePath(QStringLiteral("to-tmp"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/tmp"), upLink));
    for (const QString &root : {QStringLiteral("//"), QStringLiteral("/."), QStringLiteral("/./"),
                                QStringLiteral("/tmp/.."), QStringLiteral("///tmp/../."), rootLink,
                                rootLink + QStringLiteral("/"), upLink + QStringLiteral("/..")}) {
        m_controller->viewDragAction({root, b});
        EXPECT_EQ(listedPaths(), QStringList{a}) << root.toStdString();
    }
}

// ---- Check boxes and texts ----

TEST_F(MainWindowTest, CheckBoxesDriveTheSelectAllStateAndTheEraseButton)
{
    m_controller->viewDragAction({makeFile(QStringLiteral("1")), makeFile(QStringLiteral("2")),
                                  makeFile(QStringLiteral("3"))});
    m_controller->selectListButton(0);
    EXPECT_EQ(m_controller->selectAllState(), 1);
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_election"));
    EXPECT_EQ(m_controller->checkBoxImageForRow(0), QStringLiteral("checkbox_no"));
    EXPECT_TRUE(m_controller->eraserFileButton()->isEnabled());

    // Some selected: the header box selects all; pressed again it clears all.
    m_controller->selectAllButton()->click();
    EXPECT_EQ(m_controller->selectAllState(), 2);
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_yes"));
    EXPECT_TRUE(m_controller->valueArr()[0]->isSelect());
    m_controller->selectAllButton()->click();
    EXPECT_EQ(m_controller->selectAllState(), 0);
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_no"));
    EXPECT_FALSE(m_controller->eraserFileButton()->isEnabled());
    for (const FileObjPtr &item : m_controller->valueArr())
        EXPECT_FALSE(item->isSelect());

    // One of three ticked by a click in its check-box cell.
    CustomTableView *table = m_controller->valueTableView();
    m_controller->window()->show();
    QApplication::processEvents();
    const QRect cell = table->visualRect(table->model()->index(1, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(m_controller->valueArr()[1]->isSelect());
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_election"));
    EXPECT_EQ(table->rowNum(), 1) << "the pressed row is the highlighted one";
    m_controller->selectListButton(1);
    EXPECT_EQ(m_controller->selectAllState(), 0);
    EXPECT_FALSE(m_controller->eraserFileButton()->isEnabled());
}

TEST_F(MainWindowTest, SelectAllOnAnEmptyListChangesNothing)
{
    m_controller->setAllSelectOrNoSelect();
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_yes"));
    EXPECT_EQ(m_controller->selectAllState(), 0);
}

TEST(MainWindowSizeText, StepsOfAThousandWithTheFormatsRounding)
{
    const std::pair<quint64, const char *> cases[] = {
        {0, "0 byte"},          {999, "999 byte"},      {1000, "1.00 KB"},           {999999, "1000.00 KB"},
        {1000000, "1.00 MB"},   {1500000, "1.50 MB"},   {999999999, "1000.00 MB"},   {1000000000, "1.00 GB"},
        {1000000000000ULL, "1.00 TB"}, {2500000000000000ULL, "2500.00 TB"},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(MainWindowController::byteToSizeWithByte(bytes), QString::fromLatin1(text)) << bytes;
    FileObj folder;
    folder.setIsDir(true);
    folder.setSize(123456);
    EXPECT_EQ(MainWindowController::sizeTextForItem(folder), QStringLiteral("--"));
}

// ---- Right-click menu ----

TEST_F(MainWindowTest, RightClickMenuOpensAndRevealsThroughTheWorkspace)
{
    const QString file = makeFile(QStringLiteral("note.txt"));
    const QString bundle = makeFolder(QStringLiteral("Viewer.app"));
    const QString folder = makeFolder(QStringLiteral("plain"));
    m_controller->viewDragAction({file, bundle, folder});

    EXPECT_EQ(m_controller->contextMenuForRow(7), nullptr) << "outside every row: no menu";
    QMenu *menu = m_controller->contextMenuForRow(0);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Open"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Reveal in Folder"));
    menu->actions()[0]->trigger();
    menu->actions()[1]->trigger();
    EXPECT_EQ(m_workspace.opened, QStringList{file});

    m_controller->contextMenuForRow(1)->actions()[1]->trigger();
    m_controller->contextMenuForRow(2)->actions()[1]->trigger();
    EXPECT_EQ(m_workspace.selected, (QStringList{file, m_files.path(), folder}))
        << "an application bundle is revealed in its parent folder";
    m_controller->menuDidClose();
    EXPECT_EQ(m_controller->rightClickMenu(), nullptr);

    // An item without a path: an alert instead.
    m_controller->openFinderWhenClickItems(std::make_shared<FileObj>());
    m_controller->showInFinderWhenClickItems(std::make_shared<FileObj>());
    EXPECT_EQ(m_panels.alerts, (QStringList{QStringLiteral("Cannot open file"), QStringLiteral("Cannot open Folder")}));
    EXPECT_EQ(m_workspace.opened.size(), 1);
}

TEST_F(MainWindowTest, ARightPressOnARowPopsUpItsMenu)
{
    m_controller->viewDragAction({makeFile(QStringLiteral("x.txt")), makeFile(QStringLiteral("y.txt"))});
    m_controller->window()->show();
    QApplication::processEvents();
    CustomTableView *table = m_controller->valueTableView();
    const QRect row = table->visualRect(table->model()->index(1, 2));
    QTest::mousePress(table->viewport(), Qt::RightButton, {}, row.center());
    ASSERT_NE(m_controller->rightClickMenu(), nullptr);
    EXPECT_TRUE(m_controller->rightClickMenu()->isVisible());
    m_controller->rightClickMenu()->actions()[0]->trigger();
    EXPECT_EQ(m_workspace.opened, QStringList{m_controller->valueArr()[1]->url()});
    m_controller->rightClickMenu()->hide();
    QApplication::processEvents();
    EXPECT_EQ(m_controller->rightClickMenu(), nullptr) << "released once it has closed";

    QTest::mousePress(table->viewport(), Qt::RightButton, {}, QPoint(row.center().x(), table->viewport()->height() - 2));
    EXPECT_EQ(m_controller->rightClickMenu(), nullptr) << "below the rows: no menu";
}

TEST_F(MainWindowTest, RightClickOnAnEmptyListShowsNoMenu)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    m_controller->listRightMouseDown(&press);
    EXPECT_EQ(m_controller->rightClickMenu(), nullptr);
}

// ---- Erase run ----

TEST_F(MainWindowTest, WorkListExpandsEverySelectedFolderChildrenFirst)
{
    const QString a = makeFolder(QStringLiteral("A"));
    const QString c = makeFile(QStringLiteral("A/B/c"));
    const QString d = makeFile(QStringLiteral("A/d"));
    const QString innerApp = makeFile(QStringLiteral("A/In.app/Contents/x"));
    const QString hidden = makeFile(QStringLiteral("A/.hidden"));
    const QString empty = makeFolder(QStringLiteral("Empty"));
    const QString app = makeFolder(QStringLiteral("X.app"));
    const QString appInside = makeFile(QStringLiteral("X.app/inside"));
    const QString skipped = makeFile(QStringLiteral("unselected.txt"));
    m_controller->viewDragAction({a, empty, app, skipped});
    m_controller->selectListButton(3);

    const QStringList work = paths(m_controller->workListForSelection());
    const QString b = m_files.filePath(QStringLiteral("A/B"));
    const QString inApp = m_files.filePath(QStringLiteral("A/In.app"));
    const QString contents = m_files.filePath(QStringLiteral("A/In.app/Contents"));
    EXPECT_EQ(QSet<QString>(work.begin(), work.end()).size(), work.size()) << "no entry twice";
    EXPECT_EQ(work.size(), 11);
    for (const QString &entry : {c, d, hidden, innerApp, b, inApp, contents})
        EXPECT_LT(work.indexOf(entry), work.indexOf(a)) << entry.toStdString();
    EXPECT_LT(work.indexOf(c), work.indexOf(b));
    EXPECT_LT(work.indexOf(innerApp), work.indexOf(contents));
    EXPECT_LT(work.indexOf(contents), work.indexOf(inApp)) << "bundles inside a selected folder are expanded";
    EXPECT_EQ(work.mid(work.size() - 4), (QStringList{a, empty, appInside, app}))
        << "an empty folder goes alone; a selected .app folder is a folder like any other";
    EXPECT_FALSE(work.contains(skipped));
}

TEST_F(MainWindowTest, EraseRunMarksRecordsAndKeepsTheUnselected)
{
    const QString gone = makeFile(QStringLiteral("gone.txt"));
    const QString folder = makeFolder(QStringLiteral("dir"));
    makeFile(QStringLiteral("dir/inner.bin"));
    const QString kept = makeFile(QStringLiteral("kept.txt"));
    m_controller->viewDragAction({gone, folder, kept});
    m_controller->selectListButton(2);
    const int runsBefore = DoDataBase::returnDoDataBase()->getAllData().size();
    testsupport::LogCapture log;

    // Confirmation first: nothing is touched until "Erase Now".
    m_controller->doEraserButtonClick();
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(m_modal.lastWindow, progress->window());
    EXPECT_TRUE(dialogs::shown(progress->makeSureView()));
    EXPECT_TRUE(QFileInfo::exists(gone));
    progress->beginToDelete();
    ASSERT_TRUE(waitUntil([progress] { return dialogs::shown(progress->successBlowView()); }));

    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(paths(m_controller->deleteErrorArr()), (QStringList{gone, folder}));
    for (const FileObjPtr &item : m_controller->deleteErrorArr())
        EXPECT_EQ(item->failStr(), QStringLiteral("Erased"));
    EXPECT_EQ(listedPaths(), QStringList{kept});
    EXPECT_FALSE(m_controller->valueArr()[0]->isSelect()) << "the unselected item stays unselected";
    EXPECT_FALSE(m_controller->eraserFileButton()->isEnabled());
    EXPECT_EQ(m_controller->selectAllImageName(), QStringLiteral("checkbox_no"));
    EXPECT_EQ(m_controller->visiblePane(), Pane::List);
    for (const char *marker : {"---------0------------", "---------1------------", "---------4------------",
                               "---------5------------"})
        EXPECT_TRUE(log.contains(QString::fromLatin1(marker))) << marker;

    // The run is in the history: the header row, then one row per selected item.
    const DoDataBase::History history = DoDataBase::returnDoDataBase()->getAllData();
    ASSERT_EQ(history.size(), runsBefore + 1);
    const DoDataBase::RecordList rows = history.last();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].value(DoDataBase::kItemsKey).toString(), gone);
    EXPECT_EQ(rows[1].value(DoDataBase::kResultKey).toString(), QStringLiteral("Erased"));
    EXPECT_EQ(rows[2].value(DoDataBase::kItemsKey).toString(), folder);

    EXPECT_TRUE(m_panels.alerts.isEmpty());

    // View log ends the window and shows the history pane.
    dialogs::click(progress->successViewLogButton());
    EXPECT_EQ(m_controller->visiblePane(), Pane::History);

    // A run the history cannot take is told, not just logged.
    const QString database = DoDataBase::returnDoDataBase()->getDataBase();
    ASSERT_TRUE(QFile::rename(database, database + QStringLiteral(".away")));
    m_controller->valueArr()[0]->setIsSelect(true);
    m_controller->doEraserButtonClick();
    m_controller->shredProgessWC()->beginToDelete();
    ASSERT_TRUE(waitUntil([this] { return !m_panels.alerts.isEmpty(); }));
    EXPECT_EQ(m_panels.alerts, QStringList{QStringLiteral("This run could not be recorded in the history.")});
    EXPECT_FALSE(QFileInfo::exists(kept));
    ASSERT_TRUE(QFile::rename(database + QStringLiteral(".away"), database));
}

TEST_F(MainWindowTest, TheShippedToolErasesEveryMethodsItemsForReal)
{
    // The whole road with the tool the bundle ships: its command line, its exit and the removal.
    m_bundle.installBuiltTool();
    for (int passes : {1, 3, 7, 35}) {
        UserDefaults::standard().setInteger(passes, QStringLiteral("EraserTimes"));
        const QString folder = makeFolder(QStringLiteral("run%1/nested folder").arg(passes));
        const QString inner = makeFile(QStringLiteral("run%1/nested folder/-leading dash.bin").arg(passes),
                                       QByteArray(70000, 'x'));
        const QString empty = makeFile(QStringLiteral("run%1/empty.txt").arg(passes), QByteArray());
        const QString plain = makeFile(QStringLiteral("run%1/plain text.txt").arg(passes));
        m_controller->viewDragAction({folder, empty, plain});
        ASSERT_TRUE(eraseSelected()) << passes;
        ShredProgressWindowController *progress = m_controller->shredProgessWC();
        EXPECT_TRUE(dialogs::shown(progress->successBlowView())) << passes;
        for (const QString &path : {folder, inner, empty, plain})
            EXPECT_FALSE(QFileInfo::exists(path)) << passes << " " << path.toStdString();
        for (const FileObjPtr &item : m_controller->deleteErrorArr())
            EXPECT_EQ(item->failStr(), QStringLiteral("Erased")) << item->url().toStdString();
        EXPECT_TRUE(m_controller->valueArr().isEmpty());
        ApplicationModal::stopModal();
    }
}

TEST_F(MainWindowTest, TheShippedToolErasesExactlyWhatWasChosen)
{
    m_bundle.installBuiltTool();
    // Something that was never chosen, reached only through links inside what was.
    const QString outside = makeFile(QStringLiteral("outside/precious.txt"), QByteArray(5000, 'p'));
    const QString folder = makeFolder(QStringLiteral("chosen"));
    makeFile(QStringLiteral("chosen/inner.bin"), QByteArray(9000, 'i'));
    ASSERT_TRUE(
        QFile::link(m_files.filePath(QStringLiteral("outside")), folder + QStringLiteral("/shortcut")));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), folder + QStringLiteral("/self")));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), folder + QStringLiteral("/up")));
    const QString chosenLink = m_files.filePath(QStringLiteral("chosen-link"));
    ASSERT_TRUE(QFile::link(m_files.filePath(QStringLiteral("outside")), chosenLink));
    // A name that is not UTF-8, dropped the way a file manager sends it.
    const QByteArray odd = QFile::encodeName(m_files.path()) + "/Bewerbung-M\xFCller.txt";
    const QByteArray oddInside = QFile::encodeName(folder) + "/Lebenslauf-\xE4.txt";
    for (const QByteArray &name : {odd, oddInside}) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const bool written = ::write(fd, "Anschreiben", 11) == 11;
        ::close(fd);
        ASSERT_TRUE(written);
    }
    QMimeData drop;
    drop.setData(QStringLiteral("text/uri-list"),
                 QUrl::fromLocalFile(folder).toEncoded() + "\r\n" +
                     QUrl::fromLocalFile(chosenLink).toEncoded() + "\r\n" + "file://" +
                     QFile::encodeName(m_files.path()).toPercentEncoding("/") +
                     "/Bewerbung-M%FCller.txt\r\n");
    ASSERT_TRUE(m_controller->drayView()->performDragOperation(&drop));
    ASSERT_EQ(m_controller->valueArr().size(), 3);
    EXPECT_EQ(NativePath::encode(m_controller->valueArr()[2]->url()), std::optional<QByteArray>(odd));

    ASSERT_TRUE(eraseSelected());
    EXPECT_TRUE(dialogs::shown(m_controller->shredProgessWC()->successBlowView()));
    struct stat info
    {
    };
    EXPECT_NE(::lstat(odd.constData(), &info), 0) << "the dropped bytes reached the tool";
    EXPECT_NE(::lstat(oddInside.constData(), &info), 0);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(QFileInfo(chosenLink).isSymLink()) << "a chosen link goes as a link";
    QFile precious(outside);
    ASSERT_TRUE(precious.open(QIODevice::ReadOnly)) << "nothing outside the choice was touched";
    EXPECT_EQ(precious.readAll(), QByteArray(5000, 'p'));
    ASSERT_EQ(m_controller->deleteErrorArr().size(), 3);
    for (const FileObjPtr &item : m_controller->deleteErrorArr())
        EXPECT_EQ(item->failStr(), QStringLiteral("Erased"));
}

TEST_F(MainWindowTest, AnItemTheToolLeavesIsMarkedFailedAndTheLastItemLeavingShowsTheAddPane)
{
    // The tool fails without a word: what is left on disk decides, and the failure pane shows.
    m_bundle.installTool(QStringLiteral("exit 1\n"));
    const QString stubborn = makeFile(QStringLiteral("stubborn.txt"));
    // Its name is not UTF-8: only its exact bytes tell that it is still there.
    const QByteArray odd = QFile::encodeName(m_files.path()) + "/stubborn-\xFC.txt";
    const int fd = ::open(odd.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    m_controller->viewDragAction({stubborn, NativePath::decode(odd)});
    ASSERT_TRUE(eraseSelected());
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    EXPECT_TRUE(dialogs::shown(progress->failBlowView()));
    ASSERT_EQ(m_controller->deleteErrorArr().size(), 2);
    EXPECT_EQ(m_controller->deleteErrorArr()[0]->failStr(), QStringLiteral("Failed"));
    EXPECT_TRUE(QFileInfo::exists(stubborn));
    EXPECT_TRUE(m_controller->valueArr().isEmpty()) << "a failed item leaves the list too";
    EXPECT_EQ(m_controller->visiblePane(), Pane::Add);
    dialogs::click(progress->failOkButton());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST_F(MainWindowTest, StopEndsTheRunWithTheCancelTextAndStillRecordsIt)
{
    m_bundle.installTool(QStringLiteral("sleep 20\n"));
    const QString slow = makeFile(QStringLiteral("slow.txt"));
    const QString next = makeFile(QStringLiteral("next.txt"));
    m_controller->viewDragAction({slow, next});
    const int runsBefore = DoDataBase::returnDoDataBase()->getAllData().size();

    m_controller->doEraserButtonClick();
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    progress->beginToDelete();
    ASSERT_TRUE(waitUntil([progress] { return progress->pathText() == QStringLiteral("") ? false : true; }, 5000))
        << "progress reaches the window through the main queue";
    EXPECT_EQ(progress->pathText(), slow);
    progress->stopButtonAction();
    EXPECT_TRUE(m_controller->isCancelled());
    ASSERT_TRUE(waitUntil([progress] { return dialogs::shown(progress->failBlowView()); }, 10000));
    EXPECT_EQ(progress->failedNodeLable()->text(), QStringLiteral("The operation was canceled by the user."));
    EXPECT_EQ(DoDataBase::returnDoDataBase()->getAllData().size(), runsBefore + 1);
    for (const FileObjPtr &item : m_controller->deleteErrorArr())
        EXPECT_EQ(item->failStr(), QStringLiteral("Failed"));

    // The next press starts afresh.
    m_controller->viewDragAction({slow});
    m_controller->doEraserButtonClick();
    EXPECT_FALSE(m_controller->isCancelled());
    EXPECT_TRUE(m_controller->deleteErrorArr().isEmpty());
}

TEST_F(MainWindowTest, TheDesktopsCloseDuringARunStopsItAndTheRunIsStillRecorded)
{
    m_bundle.installTool(QStringLiteral("sleep 20\n"));
    const QString slow = makeFile(QStringLiteral("slow.txt"));
    m_controller->viewDragAction({slow, makeFile(QStringLiteral("next.txt"))});
    const int runsBefore = DoDataBase::returnDoDataBase()->getAllData().size();
    m_controller->doEraserButtonClick();
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    progress->beginToDelete();
    ASSERT_TRUE(waitUntil([progress] { return !progress->pathText().isEmpty(); }, 5000));

    // Alt+F4 on the running erase: it stops, and the window stays to show how the run ended.
    dialogs::desktopClose(progress->window());
    EXPECT_TRUE(m_controller->isCancelled());
    EXPECT_TRUE(progress->window()->isVisible());
    ASSERT_TRUE(waitUntil([progress] { return dialogs::shown(progress->failBlowView()); }, 10000));
    EXPECT_EQ(DoDataBase::returnDoDataBase()->getAllData().size(), runsBefore + 1);
    EXPECT_TRUE(ApplicationModal::isRunningModal());
    dialogs::desktopClose(progress->window());
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(progress->window()->isVisible());
    EXPECT_TRUE(QFileInfo::exists(slow)) << "stopped before the tool was done";
}

// The drive-wipe window's Continue must never reach the file erase.
static_assert(!std::is_base_of_v<EraseAndFreeSpaceProWCDelegate, MainWindowController>);

TEST_F(MainWindowTest, TheKeyboardMovesTheHighlightTicksRowsAndOpensTheMenu)
{
    m_controller->viewDragAction(
        {makeFile(QStringLiteral("a")), makeFile(QStringLiteral("b")), makeFile(QStringLiteral("c"))});
    CustomTableView *table = m_controller->valueTableView();
    m_controller->window()->show();
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 1));
    QTest::keyClick(table, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(table->rowNum(), 1);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_FALSE(m_controller->valueArr()[1]->isSelect());
    EXPECT_EQ(m_controller->selectAllState(), 1);
    QTest::keyClick(table, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(table->rowNum(), 2) << "the reload after the tick kept the keyboard's row";

    // Shift+F10 opens the row's menu; a right press on another row highlights that row first.
    QTest::keyClick(table, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_NE(m_controller->rightClickMenu(), nullptr);
    m_controller->rightClickMenu()->hide();
    const QPoint onFirst = table->visualRect(table->model()->index(0, 1)).center();
    QTest::mousePress(table->viewport(), Qt::RightButton, {}, onFirst);
    QApplication::processEvents();
    EXPECT_EQ(table->rowNum(), 0);
    if (m_controller->rightClickMenu())
        m_controller->rightClickMenu()->hide();
}

TEST_F(MainWindowTest, StopWhileTheFoldersAreListedErasesNothing)
{
    const QString folder = makeFolder(QStringLiteral("tree"));
    for (int i = 0; i < 50; ++i)
        makeFile(QStringLiteral("tree/sub%1/f%2").arg(i % 5).arg(i));
    m_controller->viewDragAction({folder});
    m_controller->doEraserButtonClick();
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    // The listing runs on its own thread; its end reaches the window only through the event loop.
    progress->beginToDelete();
    progress->stopButtonAction();
    ASSERT_TRUE(waitUntil([progress] { return dialogs::shown(progress->failBlowView()); }, 10000));
    EXPECT_EQ(progress->failedNodeLable()->text(), QStringLiteral("The operation was canceled by the user."));
    EXPECT_TRUE(QFileInfo::exists(m_files.filePath(QStringLiteral("tree/sub4/f49"))));
    ASSERT_EQ(m_controller->deleteErrorArr().size(), 1);
    EXPECT_EQ(m_controller->deleteErrorArr()[0]->failStr(), QStringLiteral("Failed"));
}

TEST_F(MainWindowTest, ProgressIsTruncatedTowardsZero)
{
    m_controller->viewDragAction({makeFile(QStringLiteral("p"))});
    m_controller->doEraserButtonClick();
    ShredProgressWindowController *progress = m_controller->shredProgessWC();
    m_controller->removeProgress(99.9f, QStringLiteral("/x/one"));
    EXPECT_TRUE(progress->pathText().isEmpty()) << "relayed, not called at once";
    QApplication::processEvents();
    EXPECT_EQ(progress->pathText(), QStringLiteral("/x/one"));
    const float width = float(progress->progressView()->width());
    EXPECT_FLOAT_EQ(progress->progressView()->bar()->barWidth(), float(99.0 / 100.0 * width));
    // Reports in a burst: the newest one shows, at the next frame.
    for (int i = 0; i < 100; ++i)
        m_controller->removeProgress(0.5f, QStringLiteral("/x/%1").arg(i));
    ASSERT_TRUE(waitUntil([progress] { return progress->pathText() == QStringLiteral("/x/99"); }));
    EXPECT_FLOAT_EQ(progress->progressView()->bar()->barWidth(), 0.0f);
}

// ---- Previews ----

TEST_F(MainWindowTest, PanesPreview)
{
    TCImageWindow *window = m_controller->window();
    window->show();
    QApplication::processEvents();
    dialogs::savePreview(window, QStringLiteral("main-add"));

    m_controller->viewDragAction({makeFile(QStringLiteral("Quarterly report.pdf"), QByteArray(1270000, 'a')),
                                  makeFolder(QStringLiteral("Photos")),
                                  makeFile(QStringLiteral("notes.txt"), QByteArray(3100, 'b')),
                                  makeFile(QStringLiteral("tax-2025.xlsx"), QByteArray(88400, 'c'))});
    m_controller->selectListButton(2);
    m_controller->tableViewShouldSelectRow(1);
    QApplication::processEvents();
    dialogs::savePreview(window, QStringLiteral("main-list"));

    m_controller->settingButtonAction();
    QApplication::processEvents();
    dialogs::savePreview(window, QStringLiteral("main-method"));

    for (const FileObjPtr &item : m_controller->valueArr())
        item->setFailStr(item->isSelect() ? QStringLiteral("Erased") : QStringLiteral("Failed"));
    DoDataBase::returnDoDataBase()->writePlistForHistoryWithArr(m_controller->valueArr());
    m_controller->showLogWindow();
    QApplication::processEvents();
    dialogs::savePreview(window, QStringLiteral("main-history"));
}
