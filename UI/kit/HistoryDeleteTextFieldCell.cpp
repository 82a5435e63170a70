#include "HistoryDeleteTextFieldCell.h"

#include "CellDrawing.h"
#include "ImageLibrary.h"
#include "Theme.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

std::atomic<int> HistoryDeleteTextFieldCell::s_clickGuard{0};

namespace {

HistoryDeleteTextFieldCell::ResetScheduler &resetScheduler()
{
    static HistoryDeleteTextFieldCell::ResetScheduler scheduler;
    return scheduler;
}

// Cuts a slice of the given width off the rectangle's left edge (no wider than the rectangle)
// and leaves the rest in it.
QRectF divideLeft(QRectF &rect, qreal amount)
{
    const qreal width = qBound<qreal>(0, amount, qMax<qreal>(0, rect.width()));
    const QRectF slice(rect.x(), rect.y(), width, rect.height());
    rect.setLeft(rect.left() + width);
    return slice;
}

// Left and top edges belong to the zone, right and bottom ones to what follows (y downward).
bool pointInZone(const QPointF &point, const QRectF &zone)
{
    return point.x() >= zone.left() && point.x() < zone.right() && point.y() >= zone.top()
           && point.y() < zone.bottom();
}

} // namespace

HistoryDeleteTextFieldCell::HistoryDeleteTextFieldCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

HistoryDeleteTextFieldCell::~HistoryDeleteTextFieldCell() = default;

void HistoryDeleteTextFieldCell::setDelegate(HistoryDeleteTextFieldCellDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateLife = delegate ? delegate->lifeToken() : std::weak_ptr<const void>();
}

HistoryDeleteTextFieldCellDelegate *HistoryDeleteTextFieldCell::delegate() const
{
    return m_delegateLife.expired() ? nullptr : m_delegate;
}

void HistoryDeleteTextFieldCell::setFolderImage(const QPixmap &image)
{
    if (image.cacheKey() != m_folderImage.cacheKey())
        m_folderImage = image;
}

void HistoryDeleteTextFieldCell::setDeleteImage(const QPixmap &image)
{
    if (image.cacheKey() != m_deleteImage.cacheKey())
        m_deleteImage = image;
}

QRectF HistoryDeleteTextFieldCell::imageFrameForCellFrame(const QRectF &frame) const
{
    if (m_folderImage.isNull())
        return QRectF();
    return celldrawing::imageFrameForCellFrame(frame, m_folderImage.deviceIndependentSize());
}

// A click counts on an icon only: a zone reaching past it took clicks on blank space, on the row
// below and on the neighbouring icon.
QRectF HistoryDeleteTextFieldCell::exportZone() const
{
    return m_folderImageFrame;
}

QRectF HistoryDeleteTextFieldCell::deleteZone() const
{
    return m_deleteImageFrame;
}

bool HistoryDeleteTextFieldCell::isHeaderText(const QString &text)
{
    return text == QLatin1String("Result");
}

QColor HistoryDeleteTextFieldCell::titleColor() const
{
    if (!m_isSelectCell && isHeaderText(m_title))
        return theme::cellHeaderTitleColor();
    return theme::cellTitleColor();
}

void HistoryDeleteTextFieldCell::drawWithFrame(QPainter *painter, const QRectF &frame)
{
    if (!m_title.isEmpty()) {
        celldrawing::drawTitle(painter, QRectF(frame.x(), frame.y() + kTitleTop, frame.width(), kTitleHeight),
                            m_title, titleColor());
        return;
    }
    if (!m_isShowButton)
        return;
    // Loaded afresh each time, so icons put into the resources later still show.
    setFolderImage(ImageLibrary::imageNamed(QLatin1String(theme::kHistoryExportImage)));
    setDeleteImage(ImageLibrary::imageNamed(QLatin1String(theme::kHistoryDeleteImage)));
    QRectF rest = frame;
    if (!m_folderImage.isNull()) {
        const QRectF slice = divideLeft(rest, kIconSlice);
        m_folderImageFrame = QRectF(slice.x(), slice.y() + kIconDrop, kIconSize, kIconSize);
        ImageLibrary::draw(painter, QLatin1String(theme::kHistoryExportImage), m_folderImageFrame);
    }
    if (!m_deleteImage.isNull()) {
        const QRectF slice = divideLeft(rest, kIconSlice);
        m_deleteImageFrame = QRectF(slice.x() + kDeleteIconGap, slice.y() + kIconDrop, kIconSize, kIconSize);
        ImageLibrary::draw(painter, QLatin1String(theme::kHistoryDeleteImage), m_deleteImageFrame);
    }
}

int HistoryDeleteTextFieldCell::hitTestForEvent(const QPointF &pointInView)
{
    if (!m_title.isEmpty())
        return HitNone;
    const QRectF exportArea = exportZone();
    const QRectF deleteArea = deleteZone();
    const bool inExport = pointInZone(pointInView, exportArea);
    const bool inDelete = pointInZone(pointInView, deleteArea);
    int result = HitNone;
    if (inExport && s_clickGuard.load() == 0) {
        if (auto *listener = delegate())
            listener->clickExportWithDate(m_runKey);
        ++s_clickGuard;
        result = HitContentArea | HitTrackableArea;
    } else if (inDelete && s_clickGuard.load() == 0) {
        if (auto *listener = delegate())
            listener->clickDeleteWithDate(m_runKey);
        ++s_clickGuard;
        result = HitContentArea | HitTrackableArea;
    }
    scheduleGuardReset();
    return result;
}

void HistoryDeleteTextFieldCell::scheduleGuardReset()
{
    // The reset touches only the process-wide guard, never a cell, so it is safe whenever it runs.
    auto reset = [] { s_clickGuard.store(0); };
    if (resetScheduler()) {
        resetScheduler()(reset);
        return;
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        QTimer::singleShot(kClickGuardResetMs, Qt::PreciseTimer, app, reset);
    else
        reset();
}

void HistoryDeleteTextFieldCell::setResetSchedulerForTesting(ResetScheduler scheduler)
{
    resetScheduler() = std::move(scheduler);
}

void HistoryDeleteTextFieldCell::copyStateFrom(const HistoryDeleteTextFieldCell &other)
{
    m_folderImage = other.m_folderImage;
    m_deleteImage = other.m_deleteImage;
    m_title = other.m_title;
    m_isShowButton = other.m_isShowButton;
    m_isSelectCell = other.m_isSelectCell;
    m_deleteImageFrame = other.m_deleteImageFrame;
    m_folderImageFrame = other.m_folderImageFrame;
    m_delegate = other.m_delegate;
    m_delegateLife = other.m_delegateLife;
    m_runKey = other.m_runKey;
}

void HistoryDeleteTextFieldCell::takeRow(const QModelIndex &index)
{
    const QVariant title = index.data(Qt::DisplayRole);
    setTitle(title.isValid() ? title.toString() : QString());
    setSelectTextColor(index.data(historycell::SelectedRole).toBool());
    setShowFolderAndDeleteButton(index.data(historycell::ShowButtonsRole).toBool());
    setRunKey(index.data(historycell::RunKeyRole).toString());
}

void HistoryDeleteTextFieldCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    // Configured from the row just before it draws, as the outline's owner would; drawing records
    // where the icons went, which the next click is tested against.
    auto *self = const_cast<HistoryDeleteTextFieldCell *>(this);
    self->takeRow(index);
    self->drawWithFrame(painter, option.rect);
}

bool HistoryDeleteTextFieldCell::editorEvent(QEvent *event, QAbstractItemModel *model,
                                             const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    takeRow(index);
    // Only the row that shows the icons takes clicks on them: the zones reach below that row, and
    // a click meant to select the next run must not export or delete the selected one.
    if (m_title.isEmpty() && !m_isShowButton)
        return false;
    return hitTestForEvent(mouse->position()) != HitNone;
}
