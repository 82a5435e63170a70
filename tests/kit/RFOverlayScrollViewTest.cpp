// The overlay scroll view: header offset, layout that ignores the scroller, stacking, following.
#include "CustomTableView.h"
#include "ParTableView.h"
#include "RFOverlayScrollView.h"
#include "RFOverlayScroller.h"
#include "VQCustomOutlineView.h"

#include "TablesTestSupport.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QWheelEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>

using namespace tables;

namespace {

QRect scrollerFrame(const RFOverlayScrollView &view)
{
    return view.verticalScroller()->geometry();
}

// A shown 300 x 200 scroll view holding a file list of the given length.
struct HostedList
{
    QWidget window;
    RFOverlayScrollView *view = new RFOverlayScrollView(&window);
    CustomTableView *table = new CustomTableView;

    explicit HostedList(int rows, bool framed = true)
    {
        window.resize(300, 200);
        view->resize(300, 200);
        if (!framed)
            table->setFrameShape(QFrame::NoFrame);
        table->setModel(makeModel(rows, 2, table));
        view->setDocumentView(table);
        showAndSettle(&window);
    }
};

} // namespace

TEST(RFOverlayScrollView, ScrollerStartsBelowTheTablesHeader)
{
    const int width = RFOverlayScroller::scrollerWidth();
    {
        RFOverlayScrollView view;
        view.resize(300, 200);
        view.setDocumentView(new CustomTableView);
        EXPECT_EQ(view.headerOffset(), 20);
        EXPECT_EQ(scrollerFrame(view), QRect(300 - width, 20, width, 180));
    }
    {
        RFOverlayScrollView view;
        view.resize(300, 200);
        view.setDocumentView(new ParTableView);
        EXPECT_EQ(view.headerOffset(), 25);
    }
    {
        // A table without a header, and no table at all: the full height.
        RFOverlayScrollView view;
        view.resize(300, 200);
        auto *table = new QTableView;
        table->horizontalHeader()->hide();
        view.setDocumentView(table);
        EXPECT_EQ(view.headerOffset(), 0);
        EXPECT_EQ(scrollerFrame(view), QRect(300 - width, 0, width, 200));

        RFOverlayScrollView empty;
        EXPECT_EQ(empty.headerOffset(), 0);
        EXPECT_EQ(empty.tableHeaderOffsetFromSuperview(), 0);
    }
    {
        // An outline's header counts too.
        RFOverlayScrollView view;
        view.resize(300, 200);
        auto *outline = new VQCustomOutlineView;
        outline->header()->setFixedHeight(23);
        view.setDocumentView(outline);
        EXPECT_EQ(view.headerOffset(), 23);
    }
}

TEST(RFOverlayScrollView, OffsetIsKeptUntilSetAndUsedByTheNextTiling)
{
    RFOverlayScrollView view;
    view.resize(300, 200);
    auto *table = new CustomTableView;
    view.setDocumentView(table);
    table->horizontalHeader()->setFixedHeight(40);
    view.tile();
    EXPECT_EQ(view.headerOffset(), 20) << "not recomputed";
    view.setHeaderOffset(40);
    EXPECT_EQ(scrollerFrame(view).top(), 20);
    view.tile();
    EXPECT_EQ(scrollerFrame(view), QRect(300 - RFOverlayScroller::scrollerWidth(), 40,
                                         RFOverlayScroller::scrollerWidth(), 160));
}

TEST(RFOverlayScrollView, ContentSpansTheFullWidthUnderTheScroller)
{
    HostedList hosted(40, false);
    RFOverlayScrollView *view = hosted.view;
    CustomTableView *table = hosted.table;

    EXPECT_EQ(table->geometry(), QRect(0, 0, 300, 200));
    EXPECT_FALSE(table->verticalScrollBar()->isVisible());
    EXPECT_EQ(table->viewport()->width(), 300) << "no room kept for a scroll bar";
    EXPECT_EQ(table->horizontalHeader()->width(), 300);
    // Later resizes keep it so.
    view->resize(260, 180);
    EXPECT_EQ(table->geometry(), QRect(0, 0, 260, 180));
    EXPECT_EQ(scrollerFrame(*view).right(), 259);
}

TEST(RFOverlayScrollView, ScrollersDrawAboveTheirSiblings)
{
    RFOverlayScrollView view;
    view.resize(200, 100);
    view.setDocumentView(new CustomTableView);
    auto *late = new QLabel(QStringLiteral("added later"), &view);
    late->raise();
    view.tile();
    QWidget *top = nullptr;
    for (QObject *child : view.children())
        if (auto *widget = qobject_cast<QWidget *>(child))
            top = widget;
    EXPECT_EQ(top, view.verticalScroller());

    RFOverlayScroller scroller;
    QLabel a, b;
    EXPECT_EQ(scrollerAboveSiblingViewsComparator(&scroller, &a, nullptr), 1);
    EXPECT_EQ(scrollerAboveSiblingViewsComparator(&a, &scroller, nullptr), -1);
    EXPECT_EQ(scrollerAboveSiblingViewsComparator(&a, &b, nullptr), 0);
}

TEST(RFOverlayScrollView, ScrollerAndListFollowEachOther)
{
    HostedList hosted(15);
    RFOverlayScrollView *view = hosted.view;
    CustomTableView *table = hosted.table;

    QScrollBar *hidden = table->verticalScrollBar();
    RFOverlayScroller *scroller = view->verticalScroller();
    ASSERT_GT(hidden->maximum(), 0);
    EXPECT_EQ(scroller->maximum(), hidden->maximum());
    EXPECT_EQ(scroller->effectivePageStep(), hidden->pageStep());
    // The knob is as long as the share of the list on show.
    const qreal share = qreal(hidden->pageStep()) / (hidden->maximum() + hidden->pageStep());
    EXPECT_NEAR(scroller->knobRect().height(), (scroller->height() - 4) * share, 1.0);

    table->scrollToBottom();
    EXPECT_EQ(scroller->value(), hidden->maximum());
    scroller->setValue(3);
    EXPECT_EQ(hidden->value(), 3);
    EXPECT_TRUE(scroller->fadeTimer()->isActive()) << "scrolling the list shows the scroller";

    // The wheel still scrolls the list although its own bar is never shown.
    scroller->setValue(0);
    const QPointF inside(50, 60);
    QWheelEvent wheel(inside, table->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(table->viewport(), &wheel);
    EXPECT_GT(hidden->value(), 0);
    EXPECT_EQ(scroller->value(), hidden->value());
}

TEST(RFOverlayScrollView, ClicksReachTheListWhenThereIsNothingToScroll)
{
    HostedList hosted(2);
    RFOverlayScrollView *view = hosted.view;
    CustomTableView *table = hosted.table;
    const QPoint nearRightEdge(view->width() - 3, table->horizontalHeader()->height() + 5);
    EXPECT_EQ(view->childAt(nearRightEdge), table->viewport());

    // A long list: the strip is the scroller's.
    table->setModel(makeModel(60, 2, table));
    QApplication::processEvents();
    EXPECT_EQ(view->childAt(nearRightEdge), view->verticalScroller());

    // A replaced list goes, and the new one is followed.
    QPointer<QAbstractScrollArea> old(table);
    auto *next = new CustomTableView;
    next->setModel(makeModel(60, 2, next));
    view->setDocumentView(next);
    EXPECT_TRUE(old.isNull());
    showAndSettle(&hosted.window);
    next->verticalScrollBar()->setValue(7);
    EXPECT_EQ(view->verticalScroller()->value(), 7);
}
