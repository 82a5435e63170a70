#include "RFOverlayScrollView.h"

#include "RFOverlayScroller.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

namespace {

// The height a list gives its header when it lays itself out (it may not have done so yet).
qint64 laidOutHeaderHeight(const QHeaderView *header)
{
    if (!header || header->isHidden())
        return 0;
    return qBound(header->minimumHeight(), header->sizeHint().height(), header->maximumHeight());
}

} // namespace

int scrollerAboveSiblingViewsComparator(QWidget *a, QWidget *b, void *context)
{
    Q_UNUSED(context);
    if (qobject_cast<RFOverlayScroller *>(a))
        return 1;
    if (qobject_cast<RFOverlayScroller *>(b))
        return -1;
    return 0;
}

RFOverlayScrollView::RFOverlayScrollView(QWidget *parent)
    : QWidget(parent)
    , m_scroller(new RFOverlayScroller(this))
{
    m_headerOffset = tableHeaderOffsetFromSuperview();
}

void RFOverlayScrollView::setDocumentView(QAbstractScrollArea *view)
{
    if (m_documentView == view)
        return;
    // The view owns its list: a replaced one goes.
    delete m_documentView.data();
    m_documentView = view;
    if (view) {
        view->setParent(this);
        // The list spans the full width: its own bar never takes room, the overlay stands in for it.
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QScrollBar *bar = view->verticalScrollBar();
        m_scroller->setRange(bar->minimum(), bar->maximum());
        m_scroller->setSingleStep(bar->singleStep());
        m_scroller->setValue(bar->value());
        // Lists change their page step without telling anyone: the scroller reads it from the bar.
        m_scroller->setPageStepSource(bar);
        connect(bar, &QScrollBar::rangeChanged, m_scroller, &QScrollBar::setRange);
        connect(bar, &QScrollBar::valueChanged, m_scroller, &QScrollBar::setValue);
        connect(m_scroller, &QScrollBar::valueChanged, bar, &QScrollBar::setValue);
        view->show();
    } else {
        m_scroller->setRange(0, 0);
    }
    m_headerOffset = tableHeaderOffsetFromSuperview();
    tile();
}

void RFOverlayScrollView::setHeaderOffset(qint64 offset)
{
    m_headerOffset = offset;
}

qint64 RFOverlayScrollView::tableHeaderOffsetFromSuperview() const
{
    for (QObject *child : children()) {
        if (auto *table = qobject_cast<QTableView *>(child))
            return laidOutHeaderHeight(table->horizontalHeader());
        if (auto *outline = qobject_cast<QTreeView *>(child))
            return laidOutHeaderHeight(outline->header());
    }
    return 0;
}

void RFOverlayScrollView::tile()
{
    const int w = width();
    const int h = height();
    if (m_documentView)
        m_documentView->setGeometry(0, 0, w, h);
    const int scrollerWidth = RFOverlayScroller::scrollerWidth();
    const int top = int(qBound(qint64(0), m_headerOffset, qint64(h)));
    m_scroller->setGeometry(w - scrollerWidth, top, scrollerWidth, h - top);

    QList<QWidget *> siblings;
    for (QObject *child : children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            siblings.append(widget);
    std::stable_sort(siblings.begin(), siblings.end(), [](QWidget *a, QWidget *b) {
        return scrollerAboveSiblingViewsComparator(a, b, nullptr) < 0;
    });
    for (QWidget *widget : siblings)
        widget->raise();
}

void RFOverlayScrollView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    tile();
}
