#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <memory>

class QPainter;
class QWidget;

// A cell drawn inside a host widget: an icon and a label side by side. Only the leftmost 15 by 30
// points report a click, to the delegate; one guard shared by every such cell lets a click through
// at most once per 0.2 seconds.
class NewButton
{
public:
    enum HitResult { HitNone = 0, HitContentArea = 1, HitEditableTextArea = 2, HitTrackableArea = 4 };

    class Delegate
    {
    public:
        virtual ~Delegate() = default;
        virtual void clickButtonAction(NewButton *cell) = 0;
    };

    // The label drawn right of the icon; no colour means the host's text colour.
    struct LabelCell
    {
        QString text;
        QFont font;
        QColor color;
        bool editable = true;
    };
    struct IconCell
    {
        QPixmap image;
    };

    // Copies share the source's label and icon cells.
    NewButton() = default;

    std::shared_ptr<LabelCell> label() const { return m_label; }
    void setLabel(std::shared_ptr<LabelCell> label) { m_label = std::move(label); }
    std::shared_ptr<IconCell> iconImageCell() const { return m_iconImageCell; }
    void setIconImageCell(std::shared_ptr<IconCell> cell) { m_iconImageCell = std::move(cell); }
    // Kept for the owner; the cell never reads them.
    QVariant opNodeData() const { return m_opNodeData; }
    void setOpNodeData(const QVariant &data) { m_opNodeData = data; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // Not owned.
    Delegate *delegate() const { return m_delegate; }
    void setDelegate(Delegate *delegate) { m_delegate = delegate; }

    QRectF iconImageRectForBounds(const QRectF &bounds) const;
    QRectF imageRectForBounds(const QRectF &bounds) const;
    void drawWithFrame(QPainter &painter, const QRectF &cellFrame, QWidget *controlView);
    // windowPos is where the event happened in the host's window; the result is a HitResult mask.
    int hitTestForEvent(const QPointF &windowPos, const QRectF &cellFrame, const QWidget *controlView);
    // Lets the next click through (the argument is not used).
    void changeVlaue(const QVariant &unused = QVariant());

    static int clickGuard();
    static constexpr int kClickGuardMs = 200;

private:
    std::shared_ptr<LabelCell> m_label;
    std::shared_ptr<IconCell> m_iconImageCell;
    QVariant m_opNodeData;
    QString m_name;
    Delegate *m_delegate = nullptr;
};
