#include "HistoryWindowController.h"

#include "HistoryCellRoles.h"
#include "HistoryDeleteTextFieldCell.h"
#include "HistoryHtmlWriter.h"
#include "HistoryWindowControllerDelegate.h"
#include "ImageLibrary.h"
#include "Panels.h"
#include "RunWindowTestSupport.h"
#include "TCWindowButton.h"
#include "common/TestSupport.h"
#include "platform/Bundle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

const QDateTime kOlder(QDate(2026, 12, 8), QTime(9, 15, 39));
const QDateTime kNewer(QDate(2026, 12, 8), QTime(9, 15, 40));
const QDateTime kOldest(QDate(2025, 1, 2), QTime(23, 0, 0));
const QString kOlderKey = QStringLiteral("2026-12-08 09-15-39");
const QString kNewerKey = QStringLiteral("2026-12-08 09-15-40");
const QString kOldestKey = QStringLiteral("2025-01-02 23-00-00");

FileObjPtr item(const QString &path, const QString &result)
{
    auto file = std::make_shared<FileObj>();
    file->setUrl(path);
    file->setFailStr(result);
    return file;
}

// Answers the save panel and records alerts instead of showing them.
class AnsweringPanels : public Panels
{
public:
    std::optional<QString> runSavePanel(QWidget *, const SaveOptions &options) override
    {
        ++saveRuns;
        lastOptions = options;
        return answer;
    }
    void runAlert(QWidget *, const QString &message, const QString &, AlertStyle) override { alerts << message; }

    std::optional<QString> answer;
    int saveRuns = 0;
    SaveOptions lastOptions;
    QStringList alerts;
};

class BackListener : public HistoryWindowControllerDelegate
{
public:
    void backButtonAction() override { ++backs; }
    int backs = 0;
};

class HistoryWindowControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A bundle of our own: its database starts empty, and the images draw as they ship.
        ASSERT_FALSE(m_bundle.copyBuiltResource(QStringLiteral("DataBase.db")).isEmpty());
        const QDir images(QStringLiteral(NULLWELL_RESOURCES));
        for (const QString &name : images.entryList({QStringLiteral("*.svg")}, QDir::Files))
            m_bundle.copyBuiltResource(name);
        ImageLibrary::clearCache();
        Panels::setSharedOverride(&m_panels);
        dialogs::storeEraserTimes(1);
    }
    void TearDown() override
    {
        store()->setClock({});
        Panels::setSharedOverride(nullptr);
        dialogs::clearEraserTimes();
        ImageLibrary::clearCache();
    }

    static DoDataBase *store() { return DoDataBase::returnDoDataBase(); }
    static void recordRun(const QDateTime &when, const FileObjList &items)
    {
        store()->setClock([when] { return when; });
        store()->writePlistForHistoryWithArr(items);
    }
    // Three runs; the two newest keys a second apart.
    static void recordThreeRuns()
    {
        recordRun(kOldest, {item(QStringLiteral("/home/u/old.txt"), QStringLiteral("Erased"))});
        recordRun(kOlder, {item(QStringLiteral("/home/u/a.txt"), QStringLiteral("Erased"))});
        recordRun(kNewer, {item(QStringLiteral("/home/u/b&<c>.txt"), QStringLiteral("Failed"))});
    }
    static QModelIndex runRow(HistoryWindowController &controller, int row)
    {
        return controller.outlineModel()->index(row, 0);
    }

    testsupport::TempBundle m_bundle;
    AnsweringPanels m_panels;
    dialogs::ModalRecorder m_modal;
};

TEST_F(HistoryWindowControllerTest, LoadsRunsNewestFirstAndOpensTheNewest)
{
    recordThreeRuns();
    HistoryWindowController controller;
    EXPECT_EQ(controller.historyAllArr(), (QStringList{kNewerKey, kOlderKey, kOldestKey}));
    HistoryOutlineModel *model = controller.outlineModel();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->rowCount(runRow(controller, 1)), 2); // the header record and the item
    EXPECT_TRUE(controller.historyOutlineView()->isExpanded(runRow(controller, 0)));
    EXPECT_FALSE(controller.historyOutlineView()->isExpanded(runRow(controller, 1)));
    EXPECT_TRUE(controller.exportButton()->isDisabled()); // takes clicks
    EXPECT_EQ(controller.selectCellIndex(), -1);

    // Run rows show the key under an empty title; records show their values; only runs open.
    const QModelIndex run = runRow(controller, 0);
    EXPECT_EQ(model->data(run, Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(model->data(run, historycell::ObjectValueRole).toString(), kNewerKey);
    EXPECT_FALSE(model->data(model->index(0, 1), historycell::ObjectValueRole).isValid());
    const QModelIndex file = model->index(1, 0, run);
    EXPECT_EQ(model->data(file).toString(), QStringLiteral("/home/u/b&<c>.txt"));
    EXPECT_EQ(model->data(model->index(1, 2, run)).toString(), QStringLiteral("Failed"));
    EXPECT_EQ(model->data(model->index(0, 0, run)).toString(), QStringLiteral("Items"));
    EXPECT_TRUE(model->hasChildren(run));
    EXPECT_FALSE(model->hasChildren(file));
    EXPECT_TRUE(controller.isItemExpandable(model->itemForIndex(file)));
    EXPECT_FALSE(controller.shouldShowOutlineCellForItem(model->itemForIndex(file)));
}

TEST_F(HistoryWindowControllerTest, EmptyHistoryAndReloadsKeepWhatThePersonOpened)
{
    HistoryWindowController controller;
    EXPECT_EQ(controller.outlineModel()->rowCount(), 0);
    EXPECT_FALSE(controller.exportButton()->isDisabled());

    recordThreeRuns();
    controller.getEraserHistory();
    EXPECT_TRUE(controller.exportButton()->isDisabled());
    controller.historyOutlineView()->expand(runRow(controller, 2));
    controller.historyOutlineView()->collapse(runRow(controller, 0));
    controller.getEraserHistory();
    EXPECT_TRUE(controller.historyOutlineView()->isExpanded(runRow(controller, 0)));
    EXPECT_FALSE(controller.historyOutlineView()->isExpanded(runRow(controller, 1)));
    EXPECT_TRUE(controller.historyOutlineView()->isExpanded(runRow(controller, 2)));
}

TEST_F(HistoryWindowControllerTest, SelectingARunShowsItsIconsAndARecordKeepsTheRun)
{
    recordThreeRuns();
    HistoryWindowController controller;
    HistoryOutlineModel *model = controller.outlineModel();
    testsupport::LogCapture log;
    // Row 0 is the newest run with its two records open, so the older run stands at row 3.
    EXPECT_TRUE(controller.shouldSelectItem(runRow(controller, 1)));
    EXPECT_EQ(controller.selectCellIndex(), 3);
    EXPECT_EQ(controller.keyClickStr(), kOlderKey);
    EXPECT_EQ(controller.historyOutlineView()->isSelectRow(), 3);
    EXPECT_TRUE(log.contains(QStringLiteral("-select---") + kOlderKey));
    EXPECT_TRUE(model->data(model->index(1, 2), historycell::ShowButtonsRole).toBool());
    EXPECT_FALSE(model->data(model->index(0, 2), historycell::ShowButtonsRole).toBool());
    EXPECT_EQ(model->data(model->index(1, 2), historycell::RunKeyRole).toString(), kOlderKey);

    const QModelIndex record = model->index(1, 1, runRow(controller, 0));
    controller.shouldSelectItem(record);
    EXPECT_EQ(controller.selectCellIndex(), 2);
    EXPECT_EQ(controller.keyClickStr(), kOlderKey);
    EXPECT_TRUE(model->data(record, historycell::SelectedRole).toBool());
    EXPECT_FALSE(model->data(model->index(1, 2), historycell::ShowButtonsRole).toBool());
}

TEST_F(HistoryWindowControllerTest, IconsStayOnTheChosenRunWhenRowsMove)
{
    recordThreeRuns();
    HistoryWindowController controller;
    HistoryOutlineModel *model = controller.outlineModel();
    controller.shouldSelectItem(runRow(controller, 1));
    ASSERT_EQ(controller.selectCellIndex(), 3);

    // Closing the newest run moves the chosen run up to row 1 before the outline draws again; the
    // icons go with it.
    controller.historyOutlineView()->collapse(runRow(controller, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(controller.selectCellIndex(), 1);
    EXPECT_EQ(controller.historyOutlineView()->isSelectRow(), 1);
    EXPECT_TRUE(model->data(model->index(1, 2), historycell::ShowButtonsRole).toBool());

    // A run recorded since comes on top; the chosen run keeps its icons and stays the one acted on.
    recordRun(QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0)), {item(QStringLiteral("/x"), QStringLiteral("Erased"))});
    controller.getEraserHistory();
    ASSERT_EQ(model->rowCount(), 4);
    const int row = controller.historyAllArr().indexOf(kOlderKey);
    EXPECT_TRUE(model->data(model->index(row, 2), historycell::ShowButtonsRole).toBool());
    for (int other = 0; other < 4; ++other) {
        if (other != row) {
            EXPECT_FALSE(model->data(model->index(other, 2), historycell::ShowButtonsRole).toBool()) << other;
        }
    }
    EXPECT_EQ(controller.selectCellIndex(), controller.historyOutlineView()->visualRowOf(model->index(row, 0)));
    EXPECT_EQ(controller.keyClickStr(), kOlderKey);

    // Deleted elsewhere: nothing is chosen any more.
    store()->deleteDataWithKey(kOlderKey);
    controller.getEraserHistory();
    EXPECT_EQ(controller.keyClickStr(), QString());
    EXPECT_EQ(controller.selectCellIndex(), -1);
}

TEST_F(HistoryWindowControllerTest, ChoosingOrOpeningRedrawsOnlyTheRowsThatChange)
{
    recordThreeRuns();
    HistoryWindowController controller;
    HistoryOutlineModel *model = controller.outlineModel();
    QList<QModelIndex> changed;
    QObject::connect(model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &topLeft, const QModelIndex &) { changed << topLeft; });
    controller.shouldSelectItem(runRow(controller, 2));
    EXPECT_EQ(changed, QList<QModelIndex>{runRow(controller, 2)});
    changed.clear();
    const QModelIndex record = model->index(1, 0, runRow(controller, 0));
    controller.shouldSelectItem(record);
    EXPECT_EQ(changed, (QList<QModelIndex>{runRow(controller, 2), record}));

    // Every run opened at once: the chosen row (a record of the newest run) stays put, the oldest
    // run's row follows once the outline is about to draw.
    controller.shouldSelectItem(runRow(controller, 2));
    changed.clear();
    controller.historyOutlineView()->expand(runRow(controller, 1));
    controller.historyOutlineView()->expand(runRow(controller, 2));
    QCoreApplication::processEvents();
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(controller.selectCellIndex(), 6);
    EXPECT_EQ(controller.historyOutlineView()->isSelectRow(), 6);
}

TEST_F(HistoryWindowControllerTest, DeleteActsOnTheSelectedRunOnly)
{
    recordThreeRuns();
    HistoryWindowController controller;
    controller.clickDeleteWithDate(kNewerKey); // nothing selected: nothing deleted
    EXPECT_EQ(store()->getAllData().size(), 3);

    controller.shouldSelectItem(runRow(controller, 1));
    controller.clickDeleteWithDate(QStringLiteral("ignored"));
    EXPECT_EQ(store()->getAllData().keys(), (QStringList{kOldestKey, kNewerKey}));
    EXPECT_EQ(controller.historyAllArr(), (QStringList{kNewerKey, kOldestKey}));
    // The deleted run is no longer the one the icons name.
    EXPECT_EQ(controller.keyClickStr(), QString());
    EXPECT_EQ(controller.selectCellIndex(), -1);
    EXPECT_FALSE(controller.outlineModel()->data(controller.outlineModel()->index(1, 2),
                                                 historycell::ShowButtonsRole).toBool());
}

TEST_F(HistoryWindowControllerTest, EmptyAllDeletesEverythingAndDisablesItself)
{
    recordThreeRuns();
    HistoryWindowController controller;
    controller.shouldSelectItem(runRow(controller, 0));

    // One run that cannot go keeps every run: the view still shows them all, "Empty All" still on.
    sqlite3 *db = nullptr;
    ASSERT_EQ(
        sqlite3_open(QString(m_bundle.resourcePath() + QStringLiteral("/DataBase.db")).toUtf8().constData(),
                     &db),
        SQLITE_OK);
    auto exec = [db](const char *sql) {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    ASSERT_TRUE(exec("create trigger refuse before delete on BaseTable when old.Itmes = '/home/u/old.txt' "
                     "begin select raise(abort, 'refused'); end"));
    dialogs::click(controller.exportButton());
    EXPECT_EQ(store()->getAllData().size(), 3);
    EXPECT_EQ(controller.historyAllArr().size(), 3);
    EXPECT_TRUE(controller.exportButton()->isDisabled()); // takes clicks
    ASSERT_TRUE(exec("drop trigger refuse"));
    sqlite3_close(db);

    dialogs::click(controller.exportButton());
    EXPECT_TRUE(store()->getAllData().isEmpty());
    EXPECT_EQ(controller.outlineModel()->rowCount(), 0);
    EXPECT_FALSE(controller.exportButton()->isDisabled());
    EXPECT_EQ(controller.keyClickStr(), QString());
    dialogs::click(controller.exportButton()); // disabled: nothing happens
    EXPECT_TRUE(store()->getAllData().isEmpty());
}

TEST_F(HistoryWindowControllerTest, ExportWritesTheSelectedRunAsEscapedXhtml)
{
    recordThreeRuns();
    HistoryWindowController controller;
    controller.setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(7, 5, 3)); });
    QTemporaryDir dir;
    m_panels.answer = dir.filePath(QStringLiteral("report.html"));

    controller.clickExportWithDate(kOlderKey); // nothing selected: no panel
    EXPECT_EQ(m_panels.saveRuns, 0);

    controller.shouldSelectItem(runRow(controller, 0));
    controller.clickExportWithDate(QStringLiteral("ignored"));
    EXPECT_EQ(m_panels.saveRuns, 1);
    EXPECT_EQ(m_panels.lastOptions.nameFieldValue, QStringLiteral("ErasureHistory(2026-12-09 07-05-03)"));
    EXPECT_TRUE(m_panels.lastOptions.extensionHidden);
    EXPECT_TRUE(m_panels.lastOptions.canCreateDirectories);

    QFile file(dir.filePath(QStringLiteral("report.html.html")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString algorithm = controller.historyDic().value(kNewerKey).at(1).value(QStringLiteral("Erasure algorithm")).toString();
    EXPECT_FALSE(algorithm.isEmpty());
    const QString spaces32(32, QLatin1Char(' ')), spaces33(33, QLatin1Char(' '));
    EXPECT_EQ(text, HistoryHtmlWriter::head()
        + QStringLiteral("<tr>") + QString(24, QLatin1Char(' ')) + QStringLiteral("<th colspan=\"3\">") + kNewerKey
        + QStringLiteral("</th>") + QString(25, QLatin1Char(' ')) + QStringLiteral("</tr>")
        + QStringLiteral("<tr class=\"title\">") + spaces32 + QStringLiteral("<td>Items</td>") + spaces33
        + QStringLiteral("<td>Erasure Algorithm</td>") + spaces33 + QStringLiteral("<td>Result</td>") + spaces33
        + QStringLiteral("</tr><tr>") + spaces32 + QStringLiteral("<td>/home/u/b&amp;&lt;c&gt;.txt</td>") + spaces33
        + QStringLiteral("<td>") + algorithm.toHtmlEscaped() + QStringLiteral("</td>") + spaces33
        + QStringLiteral("<td>Failed</td>") + spaces33 + QStringLiteral("</tr></table>     </body>      </html>"));
    EXPECT_TRUE(m_panels.alerts.isEmpty());
}

TEST_F(HistoryWindowControllerTest, CancelledOrFailedExportsWriteNothingAndFailuresAreTold)
{
    recordThreeRuns();
    HistoryWindowController controller;
    controller.shouldSelectItem(runRow(controller, 0));
    QTemporaryDir dir;

    m_panels.answer.reset();
    controller.getHistorySavePath();
    EXPECT_EQ(m_panels.saveRuns, 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(m_panels.alerts.isEmpty());

    m_panels.answer = dir.filePath(QStringLiteral("no/such/folder/report"));
    controller.getHistorySavePath();
    EXPECT_EQ(m_panels.alerts.size(), 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_FALSE(controller.writeHTML(dir.filePath(QStringLiteral("no/such.html"))));
}

TEST_F(HistoryWindowControllerTest, BackButtonReachesALiveDelegateOnly)
{
    HistoryWindowController controller;
    controller.backHomeBack()->click(); // no delegate: nothing to call
    {
        BackListener listener;
        controller.setDelegate(&listener);
        controller.backHomeBack()->click();
        EXPECT_EQ(listener.backs, 1);
    }
    EXPECT_EQ(controller.delegate(), nullptr);
    controller.backHomeBack()->click();
}

TEST_F(HistoryWindowControllerTest, CloseButtonClosesTheWindowAndEndsItsModalRun)
{
    HistoryWindowController controller;
    controller.window()->show();
    ApplicationModal::runModalForWindow(controller.window());
    ASSERT_TRUE(ApplicationModal::isRunningModal());
    TCWindowButton *close = controller.window()->standardWindowButton(TCImageWindow::CloseButton);
    ASSERT_NE(close, nullptr);
    close->action()();
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(HistoryWindowControllerTest, ViewAndControllerMayEndInEitherOrder)
{
    recordThreeRuns();
    {
        HistoryWindowController controller;
        delete controller.contentView(); // the main window went first
        controller.getEraserHistory();
        controller.clickDeleteWithDate(QString());
        EXPECT_EQ(controller.historyAllArr().size(), 3);
    }
    QWidget pane;
    {
        HistoryWindowController controller;
        controller.contentView()->setParent(&pane);
    }
    pane.resize(590, 440);
    EXPECT_FALSE(pane.grab().isNull()); // draws without asking the controller that is gone
}

TEST_F(HistoryWindowControllerTest, IconClickInTheOutlineDeletesTheSelectedRun)
{
    std::function<void()> pendingReset;
    HistoryDeleteTextFieldCell::setResetSchedulerForTesting([&](std::function<void()> reset) { pendingReset = reset; });
    recordThreeRuns();
    HistoryWindowController controller;
    QWidget *view = controller.contentView();
    view->setParent(nullptr); // as the main window's pane would hold it
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    VQCustomOutlineView *outline = controller.historyOutlineView();
    const QRect oldest = outline->visualRect(runRow(controller, 2));
    QTest::mousePress(outline->viewport(), Qt::LeftButton, {}, oldest.center());
    QTest::mouseRelease(outline->viewport(), Qt::LeftButton, {}, oldest.center());
    EXPECT_EQ(controller.keyClickStr(), kOldestKey);
    outline->viewport()->grab(); // places the icons
    const QRect state = outline->visualRect(controller.outlineModel()->index(2, 2));
    QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, state.topLeft() + QPoint(35, 8));
    EXPECT_EQ(controller.historyAllArr(), (QStringList{kNewerKey, kOlderKey}));
    if (pendingReset)
        pendingReset();
    HistoryDeleteTextFieldCell::setResetSchedulerForTesting({});
    delete view;
}

TEST_F(HistoryWindowControllerTest, TheKeyboardWorksTheHistory)
{
    recordThreeRuns();
    HistoryWindowController controller;
    controller.setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(7, 5, 3)); });
    QWidget *view = controller.contentView();
    view->setParent(nullptr);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    VQCustomOutlineView *outline = controller.historyOutlineView();
    HistoryOutlineModel *model = controller.outlineModel();

    // Tab reaches the outline.
    view->activateWindow();
    outline->clearFocus();
    for (int presses = 0; presses < 6 && !outline->hasFocus(); ++presses)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view, Qt::Key_Tab);
    EXPECT_TRUE(outline->hasFocus());

    // Down from nothing takes the newest run; down again its first record (the run is open).
    QTest::keyClick(outline, Qt::Key_Down);
    EXPECT_EQ(controller.keyClickStr(), kNewerKey);
    EXPECT_EQ(controller.selectCellIndex(), 0);
    QTest::keyClick(outline, Qt::Key_Down);
    EXPECT_EQ(controller.selectCellIndex(), 1);
    EXPECT_TRUE(model->data(model->index(0, 0, runRow(controller, 0)), historycell::SelectedRole).toBool());
    // Left: back to the record's run; Right: the next run; Up: the last record of the newest run.
    QTest::keyClick(outline, Qt::Key_Left);
    EXPECT_EQ(controller.selectCellIndex(), 0);
    QTest::keyClick(outline, Qt::Key_Right);
    EXPECT_EQ(controller.keyClickStr(), kOlderKey);
    EXPECT_EQ(controller.selectCellIndex(), 3);
    QTest::keyClick(outline, Qt::Key_Up);
    EXPECT_EQ(controller.selectCellIndex(), 2);
    EXPECT_EQ(controller.keyClickStr(), kOlderKey) << "a record leaves the chosen run as it was";

    // Return closes the highlighted row's run (the highlight moves to it), Space opens it again.
    QTest::keyClick(outline, Qt::Key_Return);
    EXPECT_FALSE(outline->isExpanded(runRow(controller, 0)));
    EXPECT_EQ(controller.keyClickStr(), kNewerKey);
    EXPECT_EQ(controller.selectCellIndex(), 0);
    QTest::keyClick(outline, Qt::Key_Space);
    EXPECT_TRUE(outline->isExpanded(runRow(controller, 0)));

    // Ctrl+E exports the highlighted run; Delete deletes it.
    QTemporaryDir dir;
    m_panels.answer = dir.filePath(QStringLiteral("report"));
    QTest::keyClick(outline, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(m_panels.saveRuns, 1);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("report.html"))));
    QTest::keyClick(outline, Qt::Key_Right);
    QTest::keyClick(outline, Qt::Key_Delete);
    EXPECT_EQ(controller.historyAllArr(), (QStringList{kNewerKey, kOldestKey}));

    // The menu key and Shift+F10 open a menu with both, acting on the highlighted run. A deleted
    // run leaves nothing highlighted: the first arrow starts again at the newest run.
    QTest::keyClick(outline, Qt::Key_Menu);
    EXPECT_EQ(controller.runMenu(), nullptr);
    QTest::keyClick(outline, Qt::Key_Right);
    QTest::keyClick(outline, Qt::Key_Right);
    EXPECT_EQ(controller.keyClickStr(), kOldestKey);
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
                                         std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        QTest::keyClick(outline, key, modifiers);
        QMenu *menu = controller.runMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(menu->actions().at(0)->text(), QStringLiteral("Export…"));
        EXPECT_EQ(menu->actions().at(1)->text(), QStringLiteral("Delete"));
        if (modifiers == Qt::ShiftModifier) {
            menu->actions().at(1)->trigger();
        } else {
            menu->close();
            QApplication::processEvents();
            EXPECT_EQ(controller.runMenu(), nullptr);
        }
    }
    EXPECT_EQ(controller.historyAllArr(), (QStringList{kNewerKey}));
    delete view;
}

TEST_F(HistoryWindowControllerTest, ViewPreviews)
{
    {
        HistoryWindowController controller;
        dialogs::savePreview(controller.contentView(), QStringLiteral("history_empty"));
    }
    recordThreeRuns();
    recordRun(kOlder, {item(QStringLiteral("/home/u/Documents/Quarterly report of the regional office 2026.pdf"),
                            QStringLiteral("Erased")),
                       item(QStringLiteral("/home/u/notes.txt"), QStringLiteral("Failed"))});
    HistoryWindowController controller;
    controller.contentView()->resize(590, 440);
    dialogs::savePreview(controller.contentView(), QStringLiteral("history_runs"));
    controller.shouldSelectItem(runRow(controller, 0));
    dialogs::savePreview(controller.contentView(), QStringLiteral("history_run_selected"));
    dialogs::savePreview(controller.window(), QStringLiteral("history_window"));
}

} // namespace
