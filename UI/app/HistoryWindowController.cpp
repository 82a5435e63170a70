#include "HistoryWindowController.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "HistoryDeleteTextFieldCell.h"
#include "HistoryHtmlWriter.h"
#include "HistoryOutlineModel.h"
#include "HistoryTextFieldCell.h"
#include "HistoryWindowControllerDelegate.h"
#include "KitGeometry.h"
#include "Panels.h"
#include "RFOverlayScrollView.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQCustomOutlineView.h"
#include "WindowPaneBuilder.h"
#include "platform/Log.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Layout of the view, bottom-left frames in its 590 x 440 points.
const QRectF kBackFrame(20, 392, 28, 28);
const QRectF kHeadingFrame(60, 392, 380, 28);
const QRectF kEmptyAllFrame(470, 394, 100, 26);
const QRectF kOutlineFrame(20, 20, 550, 360);

bool isRunItem(const QVariant &item)
{
    return item.typeId() == QMetaType::QString;
}

bool isRecordItem(const QVariant &item)
{
    return item.typeId() == QMetaType::QVariantMap;
}

// How a chosen row is logged: the run key, or the record's three values.
QString describeItem(const QVariant &item)
{
    if (!isRecordItem(item))
        return item.toString();
    const QVariantMap record = item.toMap();
    return QStringLiteral("{\"%1\" = %2; \"%3\" = %4; \"%5\" = %6}")
        .arg(DoDataBase::kErasureAlgorithmKey, record.value(DoDataBase::kErasureAlgorithmKey).toString(),
             DoDataBase::kItemsKey, record.value(DoDataBase::kItemsKey).toString(), DoDataBase::kResultKey,
             record.value(DoDataBase::kResultKey).toString());
}

} // namespace

HistoryWindowController::HistoryWindowController(QObject *parent)
    : FadingWindowController(parent)
{
    loadWindow();
    setWindow(m_aWindow.get());
    windowDidLoad();
    awakeFromNib();
}

HistoryWindowController::~HistoryWindowController()
{
    // The view may live on in the main window; it must not ask a controller that is gone.
    if (m_historyOutlineView)
        m_historyOutlineView->setModel(nullptr);
    delete m_model;
}

QWidget *HistoryWindowController::contentView() const { return m_contentView; }

void HistoryWindowController::setDelegate(HistoryWindowControllerDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateLife = delegate ? delegate->lifeToken() : std::weak_ptr<const void>();
}

HistoryWindowControllerDelegate *HistoryWindowController::delegate() const
{
    return m_delegateLife.expired() ? nullptr : m_delegate;
}

void HistoryWindowController::loadWindow()
{
    using B = WindowPaneBuilder;
    m_aWindow.reset(B::makeDialogWindow(QSize(theme::kHistoryViewWidth, theme::kHistoryViewHeight), false));
    QWidget *content = m_aWindow->contentView();
    m_contentView = content;

    m_backHomeBack = new TCImageButton(content);
    kit::setBottomLeftFrame(m_backHomeBack, kBackFrame);
    B::makeLabel(content, kHeadingFrame, QLatin1String(theme::kHistoryTitle),
                 theme::helveticaLight(theme::kHistoryHeadingSize), theme::paneHeadlineColor());
    m_exportButton = new CustemImageButton(kEmptyAllFrame, content);

    auto *scrollView = new RFOverlayScrollView(content);
    kit::setBottomLeftFrame(scrollView, kOutlineFrame);
    m_historyOutlineView = new VQCustomOutlineView;
    m_historyOutlineView->setHeaderHidden(true);
    m_historyOutlineView->setUniformRowHeights(true);
    // Tab reaches the outline; the keyboard then works the history (eventFilter).
    m_historyOutlineView->setFocusPolicy(Qt::StrongFocus);
    m_historyOutlineView->installEventFilter(this);
    m_historyOutlineView->setFrameShape(QFrame::NoFrame);
    scrollView->setDocumentView(m_historyOutlineView);
    m_model = new HistoryOutlineModel(this, m_historyOutlineView);
    m_historyOutlineView->setModel(m_model);
    m_textCell = new HistoryTextFieldCell(m_historyOutlineView);
    m_stateCell = new HistoryDeleteTextFieldCell(m_historyOutlineView);
    m_stateCell->setDelegate(this);
    m_historyOutlineView->setItemDelegateForColumn(0, m_textCell);
    m_historyOutlineView->setItemDelegateForColumn(1, m_textCell);
    m_historyOutlineView->setItemDelegateForColumn(2, m_stateCell);
    m_historyOutlineView->setColumnWidth(0, theme::kHistoryNameColumnWidth);
    m_historyOutlineView->setColumnWidth(1, theme::kHistoryTypeColumnWidth);
    m_historyOutlineView->setColumnWidth(2, theme::kHistoryStateColumnWidth);

    connect(m_historyOutlineView, &QAbstractItemView::pressed, this,
            [this](const QModelIndex &index) { shouldSelectItem(index); });
    connect(m_historyOutlineView, &QTreeView::expanded, this, [this] { scheduleSelectedRowRefresh(); });
    connect(m_historyOutlineView, &QTreeView::collapsed, this, [this] { scheduleSelectedRowRefresh(); });
}

void HistoryWindowController::windowDidLoad()
{
    TCImageWindow *window = m_aWindow.get();
    m_titleBarView = window->titleBarView();
    window->setTitleBarHeight(theme::kDialogTitleBarHeight);
    m_selectCellIndex = -1;

    TitleBarDressing::addImage(window, QRectF(0, 0, 560, 37), QLatin1String(theme::kDialogTitleBarImage));
    TitleBarDressing::addImage(window, QRectF(0, 0, 560, 1), QLatin1String(theme::kHistoryTitleLine));
    if (!m_titleLabel)
        m_titleLabel = TitleBarDressing::addTitle(window, QRectF(0, 12, 560, 17), QLatin1String(theme::kHistoryTitle),
                                                  theme::historyTitleColor());

    m_backHomeBack->setImageFromFileNormalName(theme::kBackImage, theme::kBackPressImage, theme::kBackHoverImage,
                                               theme::kBackImage);
    kit::setBottomLeftFrame(m_backHomeBack, kBackFrame);
    connect(m_backHomeBack, &QAbstractButton::clicked, this, [this] { backButtonAction(); });

    m_exportButton->setButtonEnabled(false);
    m_exportButton->setTextWithName(QStringLiteral("Empty All"), theme::helveticaLight(theme::kHistoryEmptyAllFontSize),
                                    0, QStringLiteral("Wipe"));
    m_exportButton->setDelegate(this);
    m_exportButton->setButtonAction([this] { emptyListButtonAction(); });

    getEraserHistory();

    if (TCWindowButton *close = window->standardWindowButton(TCImageWindow::CloseButton))
        close->setAction([this] { closeWindow(); });

    m_historyOutlineView->clearSelection();
    m_historyOutlineView->setSelectCellBackgroundColorWithRow(m_selectCellIndex);
}

void HistoryWindowController::closeWindow()
{
    if (m_aWindow)
        m_aWindow->close();
    ApplicationModal::stopModal();
}

// ---- Loading ----

QSet<QString> HistoryWindowController::expandedRunKeys() const
{
    QSet<QString> keys;
    if (!m_historyOutlineView || !m_model)
        return keys;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (m_historyOutlineView->isExpanded(index))
            keys << m_model->itemForIndex(index).toString();
    }
    return keys;
}

int HistoryWindowController::runRow(const QString &key) const
{
    // The runs stand newest first, in key order turned round: a search, not a table built at every reload.
    const auto found = std::lower_bound(m_historyAllArr.cbegin(), m_historyAllArr.cend(), key,
                                        [](const QString &run, const QString &wanted) { return wanted < run; });
    return found != m_historyAllArr.cend() && *found == key ? int(found - m_historyAllArr.cbegin()) : -1;
}

void HistoryWindowController::getEraserHistory()
{
    const QSet<QString> wasExpanded = expandedRunKeys();
    m_historyDic = DoDataBase::returnDoDataBase()->getAllData();
    // Newest first: the history's keys come oldest first, ordered already.
    m_historyAllArr = m_historyDic.keys();
    std::reverse(m_historyAllArr.begin(), m_historyAllArr.end());

    if (m_model)
        m_model->reload();
    if (m_historyOutlineView && m_model) {
        // A reload keeps the runs that were open open, as the person left them. The selection
        // is placed once at the end rather than after every run that opens.
        const QSignalBlocker quiet(m_historyOutlineView);
        for (int row = 0; row < m_historyAllArr.size(); ++row) {
            if (wasExpanded.contains(m_historyAllArr.at(row)))
                m_historyOutlineView->expand(m_model->index(row, 0));
        }
        if (!m_historyAllArr.isEmpty())
            m_historyOutlineView->expandRecursively(m_model->index(0, 0));
    }
    if (m_exportButton)
        m_exportButton->setButtonEnabled(!m_historyAllArr.isEmpty());
    if (!m_keyClickStr.isEmpty() && !m_historyDic.contains(m_keyClickStr))
        m_keyClickStr.clear();
    refreshSelectedRow();
}

// ---- Outline data source and delegate ----

QVariantList HistoryWindowController::childrenForItem(const QVariant &item) const
{
    QVariantList children;
    if (!item.isValid()) {
        for (const QString &key : m_historyAllArr)
            children << key;
    } else if (isRunItem(item)) {
        for (const DoDataBase::Record &record : m_historyDic.value(item.toString()))
            children << record;
    }
    return children;
}

int HistoryWindowController::numberOfChildrenOfItem(const QVariant &item) const
{
    if (!item.isValid())
        return int(m_historyAllArr.size());
    if (isRunItem(item))
        return m_historyDic.recordCount(item.toString());
    return 0;
}

QVariant HistoryWindowController::childOfItem(int index, const QVariant &item) const
{
    if (index < 0)
        return QVariant();
    if (!item.isValid())
        return index < m_historyAllArr.size() ? QVariant(m_historyAllArr.at(index)) : QVariant();
    if (isRunItem(item) && index < m_historyDic.recordCount(item.toString()))
        return m_historyDic.record(item.toString(), index);
    return QVariant();
}

bool HistoryWindowController::isItemExpandable(const QVariant &item) const
{
    return item.isValid();
}

bool HistoryWindowController::shouldShowOutlineCellForItem(const QVariant &item) const
{
    return !isRecordItem(item);
}

QString HistoryWindowController::objectValueForTableColumn(const QString &column, const QVariant &item) const
{
    if (isRunItem(item) && column == QLatin1String("Name"))
        return item.toString();
    return QString(QLatin1String(""));
}

bool HistoryWindowController::shouldSelectItem(const QModelIndex &index)
{
    if (!m_model || !m_historyOutlineView || !index.isValid())
        return true;
    const QVariant item = m_model->itemForIndex(index);
    platform::log(QStringLiteral("-select---%1").arg(describeItem(item)));
    const bool isRun = isRunItem(item);
    m_selectedRunKey = isRun ? item.toString() : m_model->itemForIndex(index.parent()).toString();
    m_selectedRecordRow = isRun ? -1 : index.row();
    if (isRun)
        m_keyClickStr = item.toString();
    refreshSelectedRow();
    return true;
}

void HistoryWindowController::scheduleSelectedRowRefresh()
{
    // Runs opened or closed in one go (all of them, say) move the chosen row once, before the
    // outline draws again, rather than once per run.
    if (m_selectedRowRefreshPending)
        return;
    m_selectedRowRefreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_selectedRowRefreshPending)
                refreshSelectedRow();
        },
        Qt::QueuedConnection);
}

void HistoryWindowController::refreshSelectedRow()
{
    m_selectedRowRefreshPending = false;
    if (!m_model || !m_historyOutlineView)
        return;
    // The highlight and the icons follow the chosen row wherever reloads, new runs and opened or
    // closed runs move it, so the icons always sit on the run they act on.
    QModelIndex row;
    const int run = runRow(m_selectedRunKey);
    if (!m_selectedRunKey.isEmpty() && run >= 0) {
        row = m_model->index(run, 0);
        if (m_selectedRecordRow >= 0)
            row = m_model->index(m_selectedRecordRow, 0, row);
    }
    m_selectCellIndex = m_historyOutlineView->visualRowOf(row);
    if (m_selectCellIndex < 0)
        row = QModelIndex();
    m_historyOutlineView->setSelectCellBackgroundColorWithRow(m_selectCellIndex);
    m_model->setSelectedRow(row);
}

void HistoryWindowController::clearSelection()
{
    // A deleted run must not stay the one the icons act on.
    m_selectedRunKey.clear();
    m_selectedRecordRow = -1;
    m_selectCellIndex = -1;
    m_keyClickStr.clear();
    if (m_historyOutlineView)
        m_historyOutlineView->setSelectCellBackgroundColorWithRow(m_selectCellIndex);
}

// ---- Keyboard ----

bool HistoryWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_historyOutlineView) {
        if (event->type() == QEvent::KeyPress && outlineKeyPressed(static_cast<QKeyEvent *>(event)))
            return true;
        // The window system's own request from the menu key: the key press above already answered.
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
    }
    return FadingWindowController::eventFilter(watched, event);
}

QModelIndex HistoryWindowController::highlightedIndex() const
{
    if (!m_model || m_selectedRunKey.isEmpty())
        return QModelIndex();
    const int run = runRow(m_selectedRunKey);
    if (run < 0)
        return QModelIndex();
    const QModelIndex runIndex = m_model->index(run, 0);
    if (m_selectedRecordRow >= 0 && m_historyOutlineView->isExpanded(runIndex))
        return m_model->index(m_selectedRecordRow, 0, runIndex);
    return runIndex;
}

void HistoryWindowController::highlight(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    shouldSelectItem(index);
    m_historyOutlineView->scrollTo(index);
}

bool HistoryWindowController::outlineKeyPressed(QKeyEvent *event)
{
    if (!m_model || !m_historyOutlineView || m_historyAllArr.isEmpty())
        return false;
    const QModelIndex current = highlightedIndex();
    const QModelIndex run = current.parent().isValid() ? current.parent() : current;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool down = event->key() == Qt::Key_Down;
        if (!current.isValid()) {
            highlight(m_model->index(down ? 0 : int(m_historyAllArr.size()) - 1, 0));
            return true;
        }
        const QModelIndex next = down ? m_historyOutlineView->indexBelow(current)
                                      : m_historyOutlineView->indexAbove(current);
        highlight(next.sibling(next.row(), 0));
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = event->key() == Qt::Key_Right ? 1 : -1;
        // Left on a record goes to its own run first.
        const int target = !current.isValid() ? 0
                           : (step < 0 && current != run) ? run.row()
                                                          : run.row() + step;
        if (target >= 0 && target < m_historyAllArr.size())
            highlight(m_model->index(target, 0));
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!run.isValid())
            return true;
        if (m_historyOutlineView->isExpanded(run)) {
            // A closed run hides its records: the highlight goes to the run.
            highlight(run);
            m_historyOutlineView->collapse(run);
        } else {
            m_historyOutlineView->expand(run);
            highlight(run);
        }
        return true;
    case Qt::Key_Delete:
        if (run.isValid()) {
            m_keyClickStr = m_selectedRunKey;
            clickDeleteWithDate(m_keyClickStr);
        }
        return true;
    case Qt::Key_E:
        if (modifiers != Qt::ControlModifier)
            return false;
        if (run.isValid()) {
            m_keyClickStr = m_selectedRunKey;
            clickExportWithDate(m_keyClickStr);
        }
        return true;
    case Qt::Key_Menu:
        openRunMenu();
        return true;
    case Qt::Key_F10:
        if (modifiers != Qt::ShiftModifier)
            return false;
        openRunMenu();
        return true;
    default:
        return false;
    }
}

void HistoryWindowController::openRunMenu()
{
    const QModelIndex current = highlightedIndex();
    if (!current.isValid() || m_runMenu)
        return;
    const QString key = m_selectedRunKey;
    auto *menu = new QMenu(m_historyOutlineView);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The run is named when the menu opens: a reload while it is open must not turn it on another.
    const auto actOn = [this, key](void (HistoryWindowController::*action)(const QString &)) {
        if (!m_historyDic.contains(key))
            return;
        m_keyClickStr = key;
        (this->*action)(key);
    };
    QAction *exportAction = menu->addAction(tr("Export…"), this,
                                            [actOn] { actOn(&HistoryWindowController::clickExportWithDate); });
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction *deleteAction = menu->addAction(tr("Delete"), this,
                                            [actOn] { actOn(&HistoryWindowController::clickDeleteWithDate); });
    deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    m_runMenu = menu;
    const QRect row = m_historyOutlineView->visualRect(current);
    menu->popup(m_historyOutlineView->viewport()->mapToGlobal(row.center()));
}

// ---- Actions ----

void HistoryWindowController::backButtonAction()
{
    if (HistoryWindowControllerDelegate *listener = delegate())
        listener->backButtonAction();
}

void HistoryWindowController::emptyListButtonAction()
{
    // One request for every run on show: however long the history, one commit, and a failure
    // leaves all of it in place (the reload then shows it, "Empty All" still on).
    DoDataBase::returnDoDataBase()->deleteDataWithKeys(m_historyDic.keys());
    clearSelection();
    getEraserHistory();
}

void HistoryWindowController::clickDeleteWithDate(const QString &)
{
    if (m_keyClickStr.isEmpty())
        return;
    DoDataBase::returnDoDataBase()->deleteDataWithKey(m_keyClickStr);
    clearSelection();
    getEraserHistory();
}

void HistoryWindowController::clickExportWithDate(const QString &)
{
    getHistorySavePath();
}

QString HistoryWindowController::suggestedExportName() const
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    return QStringLiteral("ErasureHistory(%1)").arg(DoDataBase::runKeyForDateTime(now));
}

void HistoryWindowController::getHistorySavePath()
{
    if (m_keyClickStr.isEmpty() || !m_historyDic.contains(m_keyClickStr))
        return;
    Panels::SaveOptions options;
    options.nameFieldValue = suggestedExportName();
    options.extensionHidden = true;
    options.canCreateDirectories = true;
    QWidget *parent = m_contentView ? m_contentView->window() : nullptr;
    const std::optional<QString> chosen = Panels::shared().runSavePanel(parent, options);
    if (!chosen)
        return;
    writeHTML(QStringLiteral("%1.html").arg(*chosen));
}

bool HistoryWindowController::writeHTML(const QString &path)
{
    const QString html = HistoryHtmlWriter::htmlForRun(m_keyClickStr, m_historyDic.value(m_keyClickStr));
    if (HistoryHtmlWriter::writeAtomically(path, html))
        return true;
    platform::log(QStringLiteral("Could not write the erasure history to %1").arg(path));
    QWidget *parent = m_contentView ? m_contentView->window() : nullptr;
    Panels::shared().runAlert(parent, QStringLiteral("The erasure history could not be saved."),
                              QStringLiteral("Check that you can write to \"%1\" and try again.").arg(path));
    return false;
}
