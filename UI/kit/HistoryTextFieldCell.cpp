#include "HistoryTextFieldCell.h"

#include "CellDrawing.h"
#include "Theme.h"

#include <QPainter>

HistoryTextFieldCell::HistoryTextFieldCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

HistoryTextFieldCell::~HistoryTextFieldCell()
{
    setTitle(QString());
}

bool HistoryTextFieldCell::isHeaderText(const QString &text)
{
    // The header record reads back as {"Items": "Items", "Erasure algorithm": "Erasure Algorithm"}:
    // the value, not the key, is what marks it.
    return text == QLatin1String("Items") || text == QLatin1String("Erasure Algorithm");
}

QColor HistoryTextFieldCell::titleColor() const
{
    if (!m_isSelectCell && isHeaderText(m_title))
        return theme::cellHeaderTitleColor();
    return theme::cellTitleColor();
}

QRectF HistoryTextFieldCell::titleRectForFrame(const QRectF &frame)
{
    return QRectF(frame.x(), frame.y() + kTitleTop, kTitleWidth, kTitleHeight);
}

void HistoryTextFieldCell::drawWithFrame(QPainter *painter, const QRectF &frame) const
{
    // Nothing is logged here: rows are drawn on every scroll and repaint, and their titles are the
    // names of erased files.
    if (!m_title.isNull())
        celldrawing::drawTitle(painter, titleRectForFrame(frame), m_title, titleColor());
    if (!m_objectValue.isEmpty())
        celldrawing::drawTitle(painter, QRectF(frame.x(), frame.y() + kTitleTop, frame.width(), kTitleHeight),
                            m_objectValue, theme::cellTitleColor());
}

void HistoryTextFieldCell::copyStateFrom(const HistoryTextFieldCell &other)
{
    m_title = other.m_title;
    m_isSelectCell = other.m_isSelectCell;
    m_objectValue = other.m_objectValue;
}

void HistoryTextFieldCell::takeRow(const QModelIndex &index)
{
    const QVariant title = index.data(Qt::DisplayRole);
    setTitle(title.isValid() ? title.toString() : QString());
    setSelectTextColor(index.data(historycell::SelectedRole).toBool());
    setObjectValue(index.data(historycell::ObjectValueRole).toString());
}

void HistoryTextFieldCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    // Configured from the row just before it draws, as the outline's owner would.
    auto *self = const_cast<HistoryTextFieldCell *>(this);
    self->takeRow(index);
    drawWithFrame(painter, option.rect);
}
