#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

// What a header view asks of the object that draws one column's header. The header view owns one
// cell per column and passes the section's rectangle (y grows downwards) and itself as the view.
class TableHeaderCell
{
public:
    explicit TableHeaderCell(const QString &title = QString());
    virtual ~TableHeaderCell() = default;

    QString stringValue() const { return m_title; }
    void setStringValue(const QString &title) { m_title = title; }
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color) { m_textColor = color; }

    virtual void drawWithFrame(QPainter *painter, const QRectF &frame, QWidget *view) = 0;
    // Drawing while the column's header is pressed; by default it looks as it does at rest.
    virtual void highlight(bool flag, QPainter *painter, const QRectF &frame, QWidget *view);

protected:
    // The title on one line from the rectangle's top left, cut off at its right edge.
    void drawTitle(QPainter *painter, const QRectF &rect, int alignment) const;

    QString m_title;
    QFont m_font;
    QColor m_textColor;
};
