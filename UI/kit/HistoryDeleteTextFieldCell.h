#pragma once

#include "HistoryCellRoles.h"
#include "HistoryDeleteTextFieldCellDelegate.h"

#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStyledItemDelegate>

#include <atomic>
#include <functional>
#include <memory>

// The state column of the history outline: a record's result text ("Result" of a run's header
// record in grey unless selected), or, on the selected run row, an export and a delete icon whose
// clicks go to the delegate with the run's key. Model roles: see HistoryCellRoles.h.
//
// One click guard serves every cell of the process: a click that fires blocks all further
// clicks until a reset, which each hit test on an icon row schedules 0.2 seconds ahead. A double
// click therefore never exports or deletes twice.
class HistoryDeleteTextFieldCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // What a hit test answers, as flags.
    enum HitResult { HitNone = 0, HitContentArea = 1, HitTrackableArea = 4 };

    static constexpr qreal kIconSize = 16;
    static constexpr qreal kIconSlice = 19;
    static constexpr qreal kIconDrop = 2;
    static constexpr qreal kDeleteIconGap = 10;
    static constexpr qreal kTitleTop = 1;
    static constexpr qreal kTitleHeight = 17;
    static constexpr int kClickGuardResetMs = 200;

    explicit HistoryDeleteTextFieldCell(QObject *parent = nullptr);
    ~HistoryDeleteTextFieldCell() override;

    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }
    void setShowFolderAndDeleteButton(bool show) { m_isShowButton = show; }
    bool isShowButton() const { return m_isShowButton; }
    void setSelectTextColor(bool selected) { m_isSelectCell = selected; }
    bool isSelectCell() const { return m_isSelectCell; }
    // The key of the run the row stands for; the delegate gets it with each click.
    void setRunKey(const QString &runKey) { m_runKey = runKey; }
    QString runKey() const { return m_runKey; }

    // Not owned: the cell forgets a delegate that has been destroyed.
    void setDelegate(HistoryDeleteTextFieldCellDelegate *delegate);
    HistoryDeleteTextFieldCellDelegate *delegate() const;

    void setFolderImage(const QPixmap &image);
    QPixmap folderImage() const { return m_folderImage; }
    void setDeleteImage(const QPixmap &image);
    QPixmap deleteImage() const { return m_deleteImage; }
    // The export icon at its own size, 3 points in and centred vertically; empty without one.
    QRectF imageFrameForCellFrame(const QRectF &frame) const;

    // Where the icons were last drawn, in the view's coordinates (empty until then).
    QRectF folderImageFrame() const { return m_folderImageFrame; }
    QRectF deleteImageFrame() const { return m_deleteImageFrame; }
    // The click zones: exactly where each icon was last drawn.
    QRectF exportZone() const;
    QRectF deleteZone() const;

    static bool isHeaderText(const QString &text);
    QColor titleColor() const;
    // The result text, or the two icons when the title is empty and icons are to show.
    void drawWithFrame(QPainter *painter, const QRectF &frame);
    // A click at a point of the view: fires at most one action and answers HitResult flags.
    int hitTestForEvent(const QPointF &pointInView);

    void copyStateFrom(const HistoryDeleteTextFieldCell &other);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // The shared click guard: 0 lets clicks through.
    static int clickGuard() { return s_clickGuard.load(); }
    // Replaces the 0.2-second timer that clears the guard (tests run the reset themselves);
    // an empty function restores the timer.
    using ResetScheduler = std::function<void(std::function<void()> reset)>;
    static void setResetSchedulerForTesting(ResetScheduler scheduler);

private:
    void takeRow(const QModelIndex &index);
    static void scheduleGuardReset();

    QPixmap m_folderImage;
    QPixmap m_deleteImage;
    QString m_title;
    bool m_isShowButton = false;
    bool m_isSelectCell = false;
    QRectF m_deleteImageFrame;
    QRectF m_folderImageFrame;
    HistoryDeleteTextFieldCellDelegate *m_delegate = nullptr;
    std::weak_ptr<const void> m_delegateLife;
    QString m_runKey;

    static std::atomic<int> s_clickGuard;
};
