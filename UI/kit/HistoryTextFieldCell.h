#pragma once

#include "HistoryCellRoles.h"

#include <QRectF>
#include <QString>
#include <QStyledItemDelegate>

// The name and type columns of the history outline: a record's item path or erasure-method
// name, truncated to 220 points; the header record of a run ("Items", "Erasure Algorithm") in
// grey unless its row is selected. Under the title the plain cell draws the row's object value
// (the run key of a run row). Model roles: see HistoryCellRoles.h.
class HistoryTextFieldCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr qreal kTitleWidth = 220;
    static constexpr qreal kTitleTop = 1;
    static constexpr qreal kTitleHeight = 17;

    explicit HistoryTextFieldCell(QObject *parent = nullptr);
    ~HistoryTextFieldCell() override;

    // A null title draws nothing of its own; the plain cell's value is left alone.
    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }
    void setSelectTextColor(bool selected) { m_isSelectCell = selected; }
    bool isSelectCell() const { return m_isSelectCell; }
    void setObjectValue(const QString &value) { m_objectValue = value; }

    // True for the texts of a run's header record, exactly as stored.
    static bool isHeaderText(const QString &text);
    QColor titleColor() const;
    static QRectF titleRectForFrame(const QRectF &frame);
    // Draws the title, then the plain cell's value, in the whole frame.
    void drawWithFrame(QPainter *painter, const QRectF &frame) const;

    void copyStateFrom(const HistoryTextFieldCell &other);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    void takeRow(const QModelIndex &index);

    QString m_title;
    bool m_isSelectCell = false;
    QString m_objectValue;
};
