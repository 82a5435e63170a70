#include "HeaderCellView.h"

#include "CustomTableHeaderView.h"

#include <QMouseEvent>
#include <QPainter>

HeaderCellView::HeaderCellView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

HeaderCellView::~HeaderCellView() = default;

void HeaderCellView::setCellFactory(CellFactory factory)
{
    m_factory = std::move(factory);
    // Cells the old factory made go; installed ones made the same way cannot be told apart, which is
    // why owners install their own cells after choosing a factory.
    m_cells.clear();
    viewport()->update();
}

void HeaderCellView::setHeaderCell(int logicalIndex, std::unique_ptr<TableHeaderCell> cell)
{
    if (logicalIndex < 0)
        return;
    m_cells[logicalIndex] = std::move(cell);
    viewport()->update();
}

QString HeaderCellView::titleOf(int logicalIndex) const
{
    return model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
}

TableHeaderCell *HeaderCellView::headerCell(int logicalIndex) const
{
    if (logicalIndex < 0 || !model() || logicalIndex >= count())
        return nullptr;
    auto found = m_cells.find(logicalIndex);
    if (found != m_cells.end() && found->second)
        return found->second.get();
    // The column's own header: its title in the view's font, which the factory restyles.
    auto plain = std::make_unique<CustomTableHeaderView>(titleOf(logicalIndex));
    plain->setFont(font());
    plain->setTextColor(palette().color(QPalette::WindowText));
    std::unique_ptr<TableHeaderCell> cell = m_factory ? m_factory(*plain) : std::move(plain);
    TableHeaderCell *raw = cell.get();
    m_cells[logicalIndex] = std::move(cell);
    return raw;
}

void HeaderCellView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    TableHeaderCell *cell = headerCell(logicalIndex);
    if (!cell || !rect.isValid())
        return;
    // The model may rename a column after its cell was made.
    const QString title = titleOf(logicalIndex);
    if (!title.isEmpty() || cell->stringValue().isEmpty())
        cell->setStringValue(title);
    painter->save();
    if (logicalIndex == m_pressedSection)
        cell->highlight(true, painter, QRectF(rect), const_cast<HeaderCellView *>(this));
    else
        cell->drawWithFrame(painter, QRectF(rect), const_cast<HeaderCellView *>(this));
    painter->restore();
}

void HeaderCellView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressedSection = logicalIndexAt(event->position().toPoint());
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void HeaderCellView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_pressedSection != -1) {
        m_pressedSection = -1;
        viewport()->update();
    }
    QHeaderView::mouseReleaseEvent(event);
}
