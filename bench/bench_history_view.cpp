// How the history view behaves as the history grows.
//
//   build/bench/bench_history_view [folder] [runs,runs,...]
//
// Runs headless (the offscreen platform unless QT_QPA_PLATFORM says otherwise). The database lives
// in a temporary bundle below the folder (default: the system's temporary folder). For each size
// (default 1,000, 3,000 and 10,000 runs of 10 items) it prints the median of several repetitions:
//   open       the view built, loaded and drawn for the first time;
//   click      a press on a run row until the view has drawn the new selection;
//   toggle     a click on a run's disclosure triangle that opens it, drawn (and one that closes it);
//   expand all every run opened one after another, then drawn;
//   Empty All  the button pressed until the emptied view has drawn;
//   delete     one run deleted by its icon until the reloaded view has drawn.
// The same clicks on a plain tree view holding the same rows are the peer, and the same Empty All
// done the old way (one open and two commits per run) is the baseline: the table gives our time
// over theirs, and each size over the smallest (10 means linear growth from 1,000 to 10,000).

#include "HistoryBenchDatabase.h"
#include "HistoryWindowController.h"
#include "platform/Log.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <memory>

using benchtiming::median;

namespace {

const int kItemsPerRun = 10;

void settle(QWidget *view)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    view->repaint();
}

// The history view as the main window holds it: a pane of its own, shown.
class ShownHistory
{
public:
    ShownHistory() : m_controller(std::make_unique<HistoryWindowController>())
    {
        m_view = m_controller->contentView();
        m_view->setParent(nullptr);
        m_view->resize(590, 440);
        m_view->show();
        settle(outline()->viewport());
    }
    ~ShownHistory()
    {
        delete m_view;
        m_controller.reset();
    }
    HistoryWindowController *controller() const { return m_controller.get(); }
    VQCustomOutlineView *outline() const { return m_controller->historyOutlineView(); }

private:
    std::unique_ptr<HistoryWindowController> m_controller;
    QWidget *m_view = nullptr;
};

// Same rows in a plain tree: what the toolkit itself costs.
class PlainTree
{
public:
    explicit PlainTree(int runs)
    {
        for (int r = 0; r < runs; ++r) {
            auto *run = new QStandardItem(QStringLiteral("2020-01-01 00-00-%1").arg(r));
            for (int i = 0; i <= kItemsPerRun; ++i) {
                run->appendRow({new QStandardItem(QStringLiteral("/home/user/folder/file-%1").arg(i)),
                                new QStandardItem(QStringLiteral("HMG Infosec Standard 5")),
                                new QStandardItem(QStringLiteral("Erased"))});
            }
            m_model.appendRow({run, new QStandardItem, new QStandardItem});
        }
        m_view.setUniformRowHeights(true);
        m_view.setHeaderHidden(true);
        m_view.setModel(&m_model);
        m_view.resize(550, 360);
        m_view.show();
        m_view.expand(m_model.index(0, 0));
        settle(m_view.viewport());
    }
    QTreeView *view() { return &m_view; }
    QStandardItemModel *model() { return &m_model; }

private:
    QStandardItemModel m_model;
    QTreeView m_view;
};

void clickAt(QTreeView *view, const QModelIndex &index, int x = -1)
{
    const QRect rect = view->visualRect(index);
    const QPoint point(x >= 0 ? x : rect.center().x(), rect.center().y());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
    settle(view->viewport());
}

// Presses alternately on the second and third run rows.
double clickTime(QTreeView *view, QAbstractItemModel *model)
{
    int turn = 0;
    return median(
        9, [] {}, [&] { clickAt(view, model->index(1 + (turn++ % 2), 0)); });
}

// Opens and closes the second run by its disclosure triangle; the time of one click.
double toggleTime(QTreeView *view, QAbstractItemModel *model)
{
    const QModelIndex run = model->index(1, 0);
    return median(
        9, [] {}, [&] { clickAt(view, run, view->indentation() / 2); });
}

double expandAllTime(QTreeView *view, QAbstractItemModel *model)
{
    return median(
        3,
        [&] {
            view->collapseAll();
            settle(view->viewport());
        },
        [&] {
            for (int r = 0; r < model->rowCount(); ++r)
                view->expand(model->index(r, 0));
            settle(view->viewport());
        });
}

QList<int> sizesFrom(const char *text)
{
    QList<int> sizes;
    for (const QByteArray &part : QByteArray(text).split(','))
        sizes << part.toInt();
    return sizes;
}

struct Row
{
    int runs;
    double open, click, toggle, expandAll, emptyAll, deleteOne;
    double plainClick, plainToggle, plainExpandAll, oldEmptyAll;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::setLogSink([](const QString &) {});
    historybench::Database database(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath());
    const QList<int> sizes = sizesFrom(argc > 2 ? argv[2] : "1000,3000,10000");
    DoDataBase *store = DoDataBase::returnDoDataBase();

    QList<Row> rows;
    for (int runs : sizes) {
        Row row{};
        row.runs = runs;
        database.fill(runs, kItemsPerRun);
        row.open = median(
            3, [] {}, [] { ShownHistory shown; });
        {
            ShownHistory shown;
            HistoryOutlineModel *model = shown.controller()->outlineModel();
            row.click = clickTime(shown.outline(), model);
            row.toggle = toggleTime(shown.outline(), model);
            row.expandAll = expandAllTime(shown.outline(), model);
        }
        {
            PlainTree plain(runs);
            row.plainClick = clickTime(plain.view(), plain.model());
            row.plainToggle = toggleTime(plain.view(), plain.model());
            row.plainExpandAll = expandAllTime(plain.view(), plain.model());
        }
        std::unique_ptr<ShownHistory> shown;
        row.emptyAll = median(
            3,
            [&] {
                shown.reset();
                database.fill(runs, kItemsPerRun);
                shown = std::make_unique<ShownHistory>();
            },
            [&] {
                shown->controller()->emptyListButtonAction();
                settle(shown->outline()->viewport());
            });
        row.deleteOne = median(
            3,
            [&] {
                shown.reset();
                database.fill(runs, kItemsPerRun);
                shown = std::make_unique<ShownHistory>();
                shown->controller()->shouldSelectItem(shown->controller()->outlineModel()->index(1, 0));
            },
            [&] {
                shown->controller()->clickDeleteWithDate(QString());
                settle(shown->outline()->viewport());
            });
        shown.reset();
        // The old way is slow; 1,000 runs of it are enough for the ratio at every size.
        const int oldRuns = std::min(runs, 1000);
        QStringList keys;
        row.oldEmptyAll = median(
                              1,
                              [&] {
                                  database.fill(oldRuns, kItemsPerRun);
                                  keys = store->getAllData().keys();
                              },
                              [&] { historybench::deleteRunByRun(database.path(), keys); }) *
                          runs / oldRuns;
        rows << row;
        std::fprintf(stderr, "%d runs measured\n", runs);
    }

    const Row &base = rows.first();
    std::printf("History view, runs of %d items; milliseconds (median); ratios in brackets.\n", kItemsPerRun);
    std::printf("%7s | %9s %7s | %8s %8s | %8s %8s | %10s %8s | %10s %8s | %9s %7s\n", "runs", "open",
                "/first", "click", "/plain", "toggle", "/plain", "expand all", "/plain", "Empty All", "/old",
                "delete", "/open");
    for (const Row &row : rows) {
        std::printf(
            "%7d | %9.1f %7.1f | %8.2f %8.2f | %8.2f %8.2f | %10.1f %8.2f | %10.1f %8.3f | %9.1f %7.2f\n",
            row.runs, row.open, row.open / base.open, row.click, row.click / row.plainClick, row.toggle,
            row.toggle / row.plainToggle, row.expandAll, row.expandAll / row.plainExpandAll, row.emptyAll,
            row.emptyAll / row.oldEmptyAll, row.deleteOne, row.deleteOne / row.open);
    }
    std::printf(
        "(/first: this size over %d runs; /plain: a plain tree view with the same rows; /old: one open and "
        "two commits per run, timed at up to 1,000 runs and scaled; delete: one run by its icon, with the "
        "reload that follows, over opening the view)\n",
        base.runs);
    return 0;
}
