#include "MainWindowController.h"

#include "AddPane.h"
#include "AddView.h"
#include "AnchoredPath.h"
#include "ApplicationModal.h"
#include "CustomTableView.h"
#include "DoDataBase.h"
#include "DragView.h"
#include "EraseAndFreeSpaceProWC.h"
#include "EraseRun.h"
#include "FileListAdder.h"
#include "FileItemMenu.h"
#include "FileListModel.h"
#include "FileListPane.h"
#include "HistoryWindowController.h"
#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "LogWindowController.h"
#include "NTFSVolume.h"
#include "NTFSWindowController.h"
#include "Panels.h"
#include "SetEraserTimesWindowController.h"
#include "ShredProgressWindowController.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQAboutWindowController.h"
#include "VQLinkUrl.h"
#include "VQPublicUtilities.h"
#include "WorkListBuilder.h"
#include "platform/Log.h"
#include "platform/Workspace.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

std::function<void(int)> &exitHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

// Moves another controller's content view into one of our panes, filling it.
void adoptContentView(QWidget *view, QWidget *pane)
{
    view->setParent(pane);
    view->setGeometry(0, 0, MainWindowController::kContentWidth, MainWindowController::kContentHeight);
    view->show();
}

QWidget *makePane(QWidget *parent)
{
    auto *pane = new QWidget(parent);
    pane->setGeometry(0, 0, MainWindowController::kContentWidth, MainWindowController::kContentHeight);
    return pane;
}

} // namespace

MainWindowController::MainWindowController(QObject *parent)
    : FadingWindowController(parent)
    , m_fileList(new FileListModel(this))
    , m_eraseRun(std::make_unique<EraseRun>(m_fileList, this, this))
{
    m_window = std::make_unique<TCImageWindow>(QSize(kContentWidth, kContentHeight));
    m_window->setWindowTitle(QStringLiteral("Ostrivan Nullwell"));
    setWindow(m_window.get());
    m_itemMenu = std::make_unique<FileItemMenu>(m_window.get());
    buildPanes();
    awakeFromNib();
    windowDidLoad();
}

QStringList MainWindowController::firstPictureImages()
{
    // The application menu's button is the delegate's, on this window's title bar.
    return {QLatin1String(theme::kMainDropImage),     QLatin1String(theme::addViewImage()),
            QLatin1String(theme::kMainTitleBarImage), QLatin1String(theme::kMainSettingsImage),
            QLatin1String(theme::kMainHistoryImage),  QLatin1String(theme::kMainMenuImage)};
}

MainWindowController::~MainWindowController()
{
    // Before anything else goes: the run's worker and listing report to this controller.
    m_eraseRun.reset();
    m_itemMenu.reset();
}

void MainWindowController::setExitHandler(std::function<void(int)> handler)
{
    exitHandler() = std::move(handler);
}

void MainWindowController::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

// ---- Window set-up ----

void MainWindowController::buildPanes()
{
    QWidget *content = m_window->contentView();
    QPalette palette = content->palette();
    palette.setColor(QPalette::Window, theme::windowContentColor());
    content->setPalette(palette);
    content->setAutoFillBackground(true);

    // The whole content area takes drops, whichever pane shows.
    m_drayView = new DragView(content);
    m_drayView->setGeometry(0, 0, kContentWidth, kContentHeight);
    buildAddPane();
    m_focusBeforeListPane = m_window->previousInFocusChain();
    m_setView = makePane(m_drayView);
    m_progressView = makePane(m_drayView);
    m_historyView = makePane(m_drayView);
    showPane(Pane::Add);
}

void MainWindowController::buildAddPane()
{
    auto *pane = new AddPane(QSize(kContentWidth, kContentHeight), m_drayView);
    m_addNodeView = pane;
    m_addViewDragView = pane->dropZone();
    AddView *addFiles = pane->addFilesButton();
    addFiles->setDelegate(this);
    addFiles->setButtonAction([this] { addFileButtonAction(); });
    m_addFilesButton = addFiles;
}

void MainWindowController::ensureListPane()
{
    if (m_listTableView)
        return;
    buildListPane();
    placeListPaneInFocusChain();
    // Made after the window may have been shown: it stays hidden until it is the pane shown.
    m_listTableView->setVisible(false);
}

void MainWindowController::placeListPaneInFocusChain()
{
    // Widgets made now join the end of the window's focus chain. Those that were made after the
    // add pane (the title bar's buttons, panes opened since) move behind the list pane, so that
    // Tab goes from the add pane to the list as if the window had been built in one go.
    QList<QWidget *> later;
    for (QWidget *widget = m_focusBeforeListPane ? m_focusBeforeListPane->nextInFocusChain() : nullptr;
         widget && widget != m_listTableView && widget != m_window.get(); widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() != Qt::NoFocus)
            later.append(widget);
    }
    QWidget *last = nullptr;
    for (QWidget *widget = m_listTableView; widget != m_window.get(); widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() != Qt::NoFocus)
            last = widget;
    }
    for (QWidget *widget : std::as_const(later)) {
        if (!last)
            break;
        QWidget::setTabOrder(last, widget);
        last = widget;
    }
}

void MainWindowController::buildListPane()
{
    m_listTableView = new FileListPane(m_fileList, QSize(kContentWidth, kContentHeight), m_drayView);
    m_listTableDragView = m_listTableView->dragView();
    m_valueTableView = m_listTableView->table();
    m_emptyButton = m_listTableView->emptyButton();
    m_addButton = m_listTableView->addButton();
    m_eraserFileButton = m_listTableView->eraseButton();
    connect(m_valueTableView, &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        if (!index.isValid())
            return;
        tableViewShouldSelectRow(index.row());
        if (index.column() == 0)
            selectListButton(index.row());
    });
    // The highlight follows the keyboard and right clicks; Space ticks the highlighted row's box.
    // Taken after the event that moved the row: the reload must not pull the list's model from
    // under a press still being handled.
    connect(
        m_valueTableView, &RowStyledTableView::currentRowChanged, this,
        [this](int row) {
            if (row != m_valueTableView->rowNum() && row < m_fileList->items().size())
                tableViewShouldSelectRow(row);
        },
        Qt::QueuedConnection);
    connect(m_valueTableView, &RowStyledTableView::toggleRowRequested, this,
            [this](int row) { selectListButton(row); });
    connect(m_emptyButton, &QPushButton::clicked, this, [this] { emptyListButtonAction(); });
    connect(m_addButton, &QPushButton::clicked, this, [this] { addFileButtonAction(); });
    m_listTableDragView->setDelegate(this);
    m_valueTableView->setListDelegate(this);
    tableViewTitleCheckBox();
    connect(m_eraserFileButton, &QPushButton::clicked, this, [this] { doEraserButtonClick(); });
}

void MainWindowController::windowDidLoad()
{
    m_rectNew = QRect();
    if (TCWindowButton *close = m_window->standardWindowButton(TCImageWindow::CloseButton))
        close->setAction([this] { closeWindow(); });
    m_window->setMovableByWindowBackground(true);
    m_aWindow = m_window.get();
    m_aWindow->setTitleBarHeight(theme::kMainTitleBarHeight);
    m_aWindow->setTrafficLightButtonsLeftMargin(8);
    m_aWindow->setTopButtonMoveUp(0);
    m_titleBarView = m_aWindow->titleBarView();

    m_drayView->setDelegate(this);
    m_addViewDragView->setDelegate(this);
    // The select-all box starts ticked, whenever the list pane that holds it is made.
    m_selectAllImage = QString::fromLatin1(theme::kCheckBoxYesImage);
    TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, kContentWidth, theme::kMainTitleBarHeight),
                               theme::kMainTitleBarImage);
    addTitleForWindow();
    m_fileList->items().clear();
    m_eraseRun->clearResults();
    m_aSelectAllState = 0;
    static_cast<DragView *>(m_addNodeView.data())->setDelegate(this);
    addTitleBarView();
}

void MainWindowController::addTitleForWindow()
{
    m_titleLabel = TitleBarDressing::addTitle(m_aWindow, QRectF(0, 2, kContentWidth, 18),
                                              titleText(VQPublicUtilities::getProductName()), theme::mainTitleColor());
}

void MainWindowController::changeTitleBarState()
{
    if (m_titleLabel)
        m_titleLabel->setText(titleText(VQPublicUtilities::getProductName()));
}

QString MainWindowController::titleText(const QString &productName)
{
    const QString name = QStringLiteral("Ostrivan Nullwell");
    const QString edition = productName.trimmed();
    // The settings may carry the edition ("Free") or the whole product name: never say it twice.
    if (edition.isEmpty())
        return name;
    if (edition.startsWith(name))
        return edition;
    return QStringLiteral("Ostrivan Nullwell %1").arg(edition);
}

void MainWindowController::addTitleBarView()
{
    struct TitleButton
    {
        QPointer<TCImageButton> *field;
        qreal y;
        const char *normal;
        const char *hover;
        QString toolTip;
        std::function<void()> action;
    };
    const TitleButton buttons[] = {
        {&m_setButton, 344, theme::kMainSettingsImage, theme::kMainSettingsHoverImage, tr("Set data erasure method"),
         [this] { settingButtonAction(); }},
        {&m_historyButton, 288, theme::kMainHistoryImage, theme::kMainHistoryHoverImage, tr("Erasure history"),
         [this] { showLogWindow(); }},
    };
    for (const TitleButton &wanted : buttons) {
        auto *button = new TCImageButton(m_addNodeView);
        button->setImageFromFileNormalName(wanted.normal, wanted.hover, wanted.normal, wanted.hover);
        kit::setBottomLeftFrame(button, QRectF(546, wanted.y, 24, 24));
        button->setToolTip(wanted.toolTip);
        connect(button, &QPushButton::clicked, this, wanted.action);
        button->show();
        *wanted.field = button;
    }
}

void MainWindowController::closeWindow()
{
    if (exitHandler()) {
        exitHandler()(0);
        return;
    }
    // At once: no fade, no teardown; only what is already written out is flushed.
    std::fflush(nullptr);
    std::_Exit(0);
}

void MainWindowController::aboutAction()
{
    VQAboutWindowController about;
    about.runModal();
}

void MainWindowController::userguideAction()
{
    Workspace::sharedWorkspace().openURL(VQLinkUrl::GetUrl(QStringLiteral("UserGuide")));
}

void MainWindowController::helpAction()
{
    Workspace::sharedWorkspace().openURL(VQLinkUrl::GetUrl(QStringLiteral("SupportTeam")));
}

// ---- Panes ----

void MainWindowController::showPane(Pane pane)
{
    if (pane == Pane::List)
        ensureListPane();
    const std::pair<QWidget *, Pane> panes[] = {{m_addNodeView, Pane::Add},
                                               {m_listTableView, Pane::List},
                                               {m_setView, Pane::Settings},
                                               {m_historyView, Pane::History},
                                               {m_progressView, Pane::Progress}};
    for (const auto &[view, which] : panes) {
        if (view)
            view->setVisible(which == pane);
    }
}

MainWindowController::Pane MainWindowController::visiblePane() const
{
    if (!m_addNodeView->isHidden())
        return Pane::Add;
    if (m_listTableView && !m_listTableView->isHidden())
        return Pane::List;
    if (!m_setView->isHidden())
        return Pane::Settings;
    if (!m_historyView->isHidden())
        return Pane::History;
    return Pane::Progress;
}

void MainWindowController::showLogWindow()
{
    if (!m_historyWC) {
        m_historyWC = std::make_unique<HistoryWindowController>();
        m_historyWC->setDelegate(this);
        // A new view has just read the history: reading it again would double the wait.
        adoptContentView(m_historyWC->contentView(), m_historyView);
    } else {
        m_historyWC->getEraserHistory();
    }
    showPane(Pane::History);
}

void MainWindowController::settingButtonAction()
{
    if (!m_setWC) {
        m_setWC = std::make_unique<SetEraserTimesWindowController>();
        m_setWC->setDelegate(this);
        adoptContentView(m_setWC->contentView(), m_setView);
    }
    m_setWC->setEraserTimes();
    showPane(Pane::Settings);
}

void MainWindowController::backButtonAction()
{
    showPane(Pane::Add);
}

void MainWindowController::backHomeButtonAction()
{
    showPane(Pane::Add);
}

void MainWindowController::emptyListButtonAction()
{
    m_fileList->items().clear();
    reloadTable();
    showPane(Pane::Add);
    changeSelectAllButtonState();
}

// ---- File list ----

const FileObjList &MainWindowController::valueArr() const
{
    return m_fileList->items();
}

void MainWindowController::reloadTable()
{
    m_fileList->reload();
    // Nothing shows the list yet: the table reads it when it is made.
    if (m_valueTableView)
        m_valueTableView->viewport()->update();
}

QString MainWindowController::checkBoxImageForRow(int row) const
{
    return m_fileList->checkBoxImageForRow(row);
}

QString MainWindowController::cellText(const QString &identifier, int row) const
{
    return m_fileList->cellText(identifier, row);
}

QString MainWindowController::sizeTextForItem(const FileObj &item)
{
    return FileListModel::sizeTextForItem(item);
}

QString MainWindowController::byteToSizeWithByte(quint64 bytes)
{
    return FileListModel::byteToSizeWithByte(bytes);
}

bool MainWindowController::tableViewShouldSelectRow(int row)
{
    ensureListPane();
    m_valueTableView->setRowNum(row);
    reloadTable();
    return true;
}

void MainWindowController::tableViewTitleCheckBox()
{
    ensureListPane();
    m_selectAllButton = m_listTableView->makeSelectAllButton();
    setSelectAllImage(QString::fromLatin1(theme::kCheckBoxYesImage));
    connect(m_selectAllButton, &QPushButton::clicked, this, [this] { setAllSelectOrNoSelect(); });
}

void MainWindowController::setSelectAllImage(const QString &name)
{
    m_selectAllImage = name;
    if (m_selectAllButton)
        m_selectAllButton->setIcon(QIcon(ImageLibrary::imageNamed(name)));
}

int MainWindowController::returnSelectAllState() const
{
    return m_fileList->selectState();
}

void MainWindowController::changeSelectAllButtonState()
{
    ensureListPane();
    m_aSelectAllState = returnSelectAllState();
    m_eraserFileButton->setEnabled(m_aSelectAllState != 0);
    static const char *const images[] = {theme::kCheckBoxNoImage, theme::kCheckBoxPartImage, theme::kCheckBoxYesImage};
    setSelectAllImage(QString::fromLatin1(images[m_aSelectAllState]));
    reloadTable();
}

void MainWindowController::selectListButton(int row)
{
    if (m_fileList->toggleRow(row))
        changeSelectAllButtonState();
}

void MainWindowController::setAllSelectOrNoSelect()
{
    if (m_fileList->items().isEmpty())
        return;
    const bool select = m_aSelectAllState != 2;
    ensureListPane();
    m_eraserFileButton->setEnabled(select);
    m_aSelectAllState = select ? 2 : 0;
    setSelectAllImage(QString::fromLatin1(select ? theme::kCheckBoxYesImage : theme::kCheckBoxNoImage));
    m_fileList->setAllSelected(select);
    reloadTable();
}

// ---- Right-click menu ----

void MainWindowController::listRightMouseDown(QMouseEvent *event)
{
    if (m_fileList->items().isEmpty() || !event)
        return;
    ensureListPane();
    const int row = m_valueTableView->rowAt(event->position().toPoint().y());
    QMenu *menu = contextMenuForRow(row);
    if (!menu)
        return;
    menu->popup(event->globalPosition().toPoint());
}

QMenu *MainWindowController::contextMenuForRow(int row)
{
    if (row < 0 || row >= m_fileList->items().size())
        return nullptr;
    const FileObjPtr item = m_fileList->items()[row];
    if (item->url().isEmpty())
        return nullptr;
    ensureListPane();
    return m_itemMenu->menuFor(item, m_valueTableView);
}

QMenu *MainWindowController::rightClickMenu() const
{
    return m_itemMenu->menu();
}

void MainWindowController::menuDidClose()
{
    m_itemMenu->closed();
}

void MainWindowController::openFinderWhenClickItems(const FileObjPtr &item)
{
    m_itemMenu->openItem(item);
}

void MainWindowController::showInFinderWhenClickItems(const FileObjPtr &item)
{
    m_itemMenu->revealItem(item);
}

// ---- Adding ----

void MainWindowController::setFileSystemTypeSource(FileSystemTypeSource source)
{
    FileListAdder::setFileSystemTypeSource(std::move(source));
}

QString MainWindowController::fileSystemTypeForPath(const QString &path)
{
    return FileListAdder::fileSystemTypeForPath(path);
}

bool MainWindowController::isNTFSType(const QString &type)
{
    return NTFSVolume::isNTFSTypeName(type);
}

std::optional<NTFSVolume::Mount> MainWindowController::ntfsVolumeForPath(const QString &path)
{
    return FileListAdder::ntfsVolumeForPath(path);
}

void MainWindowController::addFileButtonAction()
{
    selectFileButtonAction(nullptr);
}

void MainWindowController::selectFileButtonAction(QObject *sender)
{
    Q_UNUSED(sender);
    Panels::OpenOptions options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.showsHiddenFiles = false;
    options.allowsMultipleSelection = true;
    options.prompt = tr("Add");
    options.directory = QStringLiteral("/");
    if (m_rectNew.width() == 0 && m_rectNew.height() == 0) {
        m_rectNew = m_window->geometry();
        m_rectNew.setHeight(m_rectNew.height() - theme::kMainPanelHeightInset);
    }
    options.frame = m_rectNew;
    const Panels::OpenResult result = Panels::shared().runOpenPanel(m_window.get(), options);
    if (result.ok && !result.paths.isEmpty()) {
        FileListAdder::logVolumeOf(result.paths.first());
        if (!addPaths(result.paths))
            return;
    }
    if (result.frame.isValid())
        m_rectNew = result.frame;
    if (m_fileList->items().isEmpty())
        return;
    showListAfterAdding();
}

void MainWindowController::viewDragAction(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (!addPaths(paths))
        return;
    if (m_fileList->items().isEmpty())
        return;
    showListAfterAdding();
}

bool MainWindowController::addPaths(const QStringList &paths)
{
    const FileListAdder::Outcome outcome = FileListAdder::add(m_fileList->items(), paths);
    if (outcome.kind == FileListAdder::Outcome::OnNTFS)
        showNTFSWindow(outcome.readOnly);
    return outcome.kind == FileListAdder::Outcome::Added;
}

void MainWindowController::showListAfterAdding()
{
    reloadTable();
    showPane(Pane::List);
    changeSelectAllButtonState();
}

void MainWindowController::showNTFSWindow(bool readOnly)
{
    NTFSWindowController notice;
    notice.setVolumeReadOnly(readOnly);
    notice.showWindow();
    notice.runModal();
}

FileObjPtr MainWindowController::buildFileObj(const QString &path, bool isDir) const
{
    return FileListAdder::buildFileObj(path, isDir);
}

void MainWindowController::addFileToArr(const QString &path, bool isDir)
{
    FileObjPtr item = buildFileObj(path, isDir);
    if (isDir)
        item->setSize(0);
    m_fileList->items().append(item);
}

// ---- Erase run ----

const FileObjList &MainWindowController::deleteErrorArr() const
{
    return m_eraseRun->deleteErrorArr();
}

bool MainWindowController::isCancelled() const
{
    return m_eraseRun->isCancelled();
}

bool MainWindowController::isFailedEraser() const
{
    return m_eraseRun->isFailedEraser();
}

ShredProgressWindowController *MainWindowController::shredProgessWC() const
{
    return m_eraseRun->progressWindow();
}

RemoveFileAndFolder *MainWindowController::removeFileAndFolder() const
{
    return m_eraseRun->worker();
}

void MainWindowController::doEraserButtonClick()
{
    m_eraseRun->openProgressWindow();
}

FileObjList MainWindowController::workListForSelection() const
{
    return WorkListBuilder().build(m_fileList->selectedItems());
}

void MainWindowController::doDeleteButtonClick()
{
    m_eraseRun->start();
}

void MainWindowController::eumeAllArrWithFileObj(const FileObjPtr &folder, FileObjList &workList) const
{
    WorkListBuilder().expandFolder(folder, workList);
}

void MainWindowController::removeProgress(float percent, const QString &path)
{
    m_eraseRun->reportProgress(percent, path);
}

void MainWindowController::haveFailEraser()
{
    m_eraseRun->markFailed();
}

void MainWindowController::cancelShred()
{
    m_eraseRun->cancel();
}

void MainWindowController::removeObjEnd(const FileObjList &deleteErrorArr)
{
    Q_UNUSED(deleteErrorArr);
    showEndShred();
}

void MainWindowController::showEndShred()
{
    // The marks come first: the list's own pane changes only once the progress window shows
    // how the run ended.
    const FileObjList remaining = m_eraseRun->markResults();
    ensureListPane();
    m_eraserFileButton->setEnabled(false);
    setSelectAllImage(QString::fromLatin1(theme::kCheckBoxNoImage));
    platform::log(QStringLiteral("---------3------------"));
    platform::log(QStringLiteral("---------4------------"));
    for (const FileObjPtr &item : m_fileList->items()) {
        Q_UNUSED(item);
        platform::log(QStringLiteral("---------5------------"));
    }
    m_eraseRun->record(m_window.get());
    m_fileList->items() = remaining;
    reloadTable();
    if (m_fileList->items().isEmpty()) {
        m_listTableView->setHidden(true);
        m_addNodeView->setHidden(false);
    }
}

void MainWindowController::viewLog()
{
    showLogWindow();
}

void MainWindowController::emptyEndArr()
{
    m_eraseRun->clearResults();
}

void MainWindowController::closeLogWindow()
{
    ApplicationModal::stopModal();
    if (m_logWindowC && m_logWindowC->window())
        m_logWindowC->window()->hide();
}

void MainWindowController::cliearLosButtonAction()
{
    m_eraseRun->clearResults();
}

void MainWindowController::showEndEraser()
{
    if (!m_eraserProgessWC)
        return;
    QString result;
    if (m_errorString.length() > 0) {
        m_eraserProgessWC->showFailViewWithStr(m_errorString);
        result = QStringLiteral("Failed");
    } else {
        m_eraserProgessWC->showSeccView();
        result = QStringLiteral("Erased");
    }
    if (!DoDataBase::returnDoDataBase()->writeWipeVolumesOrFree(m_selectVolumeObj.volumeName(), result,
                                                               m_selectEraserType == 1))
        EraseRun::tellRunNotRecorded(m_window.get());
    if (m_eraseButton)
        m_eraseButton->setEnabled(false);
}
