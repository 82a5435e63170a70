#include "RowStyledTableView.h"

#include "HeaderCellView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>

namespace {

// The platform style, minus the frame it draws around the current row or cell.
class NoFocusFrameStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_FrameFocusRect)
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

} // namespace

void clearSelectionHighlight(QWidget *view)
{
    auto *style = new NoFocusFrameStyle;
    style->setParent(view);
    view->setStyle(style);

    QPalette palette = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Highlight, Qt::transparent);
        palette.setColor(group, QPalette::HighlightedText, palette.color(group, QPalette::Text));
    }
    view->setPalette(palette);
}

RowStyledTableView::RowStyledTableView(const RowStyle &style, QWidget *parent)
    : QTableView(parent)
    , m_rowStyle(style)
{
    clearSelectionHighlight(this);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, style.evenFill);
    viewport()->setPalette(palette);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Smooth scrolling, and no scroll range left over when the columns exactly fill the width.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
}

void RowStyledTableView::setRowNum(int row)
{
    if (row == m_rowNum)
        return;
    m_rowNum = row;
    viewport()->update();
}

void RowStyledTableView::installHeaderCells(HeaderCellView *header, int height)
{
    m_headerCellView = header;
    setHorizontalHeader(header);
    header->setStretchLastSection(true);
    header->setFixedHeight(height);
}

void RowStyledTableView::paintEvent(QPaintEvent *event)
{
    // Backgrounds first, then the cells over them. Nothing here asks for another paint: the view
    // is repainted when the stored row or the data changes, not on every frame.
    if (model()) {
        QPainter painter(viewport());
        painter.setClipRegion(event->region());
        const QRect area = event->rect();
        const int rows = model()->rowCount(rootIndex());
        int first = rowAt(area.top());
        int last = rowAt(area.bottom());
        if (first < 0)
            first = 0;
        if (last < 0)
            last = rows - 1;
        for (int row = first; row <= last && row < rows; ++row) {
            if (isRowHidden(row))
                continue;
            const QRect rect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
            m_rowStyle.paintRow(&painter, rect, row, m_rowNum);
        }
    }
    QTableView::paintEvent(event);
}

void RowStyledTableView::rightMouseDown(QMouseEvent *event)
{
    Q_UNUSED(event);
}

int RowStyledTableView::keyboardRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RowStyledTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid() && current.row() != previous.row())
        Q_EMIT currentRowChanged(current.row());
}

void RowStyledTableView::setModel(QAbstractItemModel *model)
{
    // The view ignores its own model set again, and would stay cut off from it by the disconnect.
    if (model && model == this->model())
        return;
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    if (!model)
        return;
    // Owners reload the whole list for every change. Connected after the view and its selection
    // model, which both forget the current row on a reset, so the keyboard gets it back last.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_keptRow = keyboardRow();
        m_keptColumn = currentIndex().isValid() ? currentIndex().column() : 0;
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        const int row = m_keptRow;
        m_keptRow = -1;
        QAbstractItemModel *items = this->model();
        if (row < 0 || !items || row >= items->rowCount(rootIndex()) || !selectionModel())
            return;
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->setCurrentIndex(items->index(row, m_keptColumn, rootIndex()),
                                          QItemSelectionModel::NoUpdate);
    });
}

void RowStyledTableView::keyPressEvent(QKeyEvent *event)
{
    // The menu key itself arrives as a menu request (contextMenuEvent); Shift+F10 only as a key.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier && handlesRightClicks()) {
        rightMouseDownFromKeyboard();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (keyboardRow() >= 0 && !event->isAutoRepeat())
            Q_EMIT toggleRowRequested(keyboardRow());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RowStyledTableView::rightMouseDownFromKeyboard()
{
    const int row = keyboardRow();
    QPoint local(viewport()->width() / 2, 0);
    if (row >= 0) {
        scrollTo(model()->index(row, 0, rootIndex()));
        local.setY(rowViewportPosition(row) + rowHeight(row) / 2);
    }
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), viewport()->mapToGlobal(QPointF(local)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    rightMouseDown(&press);
}

void RowStyledTableView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && handlesRightClicks()) {
        const QModelIndex under = indexAt(event->position().toPoint());
        if (under.isValid() && selectionModel())
            selectionModel()->setCurrentIndex(under, QItemSelectionModel::NoUpdate);
        rightMouseDown(event);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void RowStyledTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A quick second right click is a right click too.
    if (event->button() == Qt::RightButton && handlesRightClicks()) {
        rightMouseDown(event);
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void RowStyledTableView::contextMenuEvent(QContextMenuEvent *event)
{
    // Tables that hand right clicks to their owner show no menu of their own, nor let one bubble up.
    if (handlesRightClicks()) {
        // The window system turns the menu key into a request from the keyboard.
        if (event->reason() == QContextMenuEvent::Keyboard)
            rightMouseDownFromKeyboard();
        event->accept();
        return;
    }
    QTableView::contextMenuEvent(event);
}
