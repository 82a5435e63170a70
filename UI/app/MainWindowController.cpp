#include "MainWindowController.h"

#include "AddView.h"
#include "AnchoredPath.h"
#include "ApplicationModal.h"
#include "CustomTableView.h"
#include "DoDataBase.h"
#include "DragView.h"
#include "EraseAndFreeSpaceProWC.h"
#include "HistoryWindowController.h"
#include "ImageAndTextCell.h"
#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "LogWindowController.h"
#include "NTFSWindowController.h"
#include "Panels.h"
#include "RFOverlayScrollView.h"
#include "RootFolder.h"
#include "SetEraserTimesWindowController.h"
#include "ShredProgressWindowController.h"
#include "SolidStateCache.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQAboutWindowController.h"
#include "VQLinkUrl.h"
#include "VQPublicUtilities.h"
#include "WindowPaneBuilder.h"
#include "WorkListBuilder.h"
#include "platform/Log.h"
#include "platform/NativePath.h"
#include "platform/Workspace.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyledItemDelegate>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/stat.h>

namespace {

const QString kCheckBoxColumn = QStringLiteral("CheckBox");
const QStringList kColumnIdentifiers = {kCheckBoxColumn, QStringLiteral("name"), QStringLiteral("path"),
                                        QStringLiteral("size"), QStringLiteral("type")};

MainWindowController::FileSystemTypeSource &fileSystemTypeSource()
{
    static MainWindowController::FileSystemTypeSource source;
    return source;
}

std::function<void(int)> &exitHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

// The item itself as it stands on disk: a link is a link, whatever it points to.
bool examineItem(const QString &path, struct stat &info)
{
    const std::optional<QByteArray> bytes = NativePath::encode(path);
    return bytes && ::lstat(bytes->constData(), &info) == 0;
}

QPixmap iconPixmap(const QIcon &icon)
{
    return icon.isNull() ? QPixmap() : icon.pixmap(QSize(16, 16));
}

// The file list's rows as the table shows them; the controller's list is the only data.
class FileListModel : public QAbstractTableModel
{
public:
    FileListModel(MainWindowController *owner, QObject *parent)
        : QAbstractTableModel(parent)
        , m_owner(owner)
    {
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : m_owner->numberOfRowsInTableView();
    }
    int columnCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(kColumnIdentifiers.size());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const QStringList titles = {QString(), QObject::tr("Name"), QObject::tr("Path"), QObject::tr("Size"),
                                           QObject::tr("Type")};
        return titles.value(section);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const FileObjList &list = m_owner->valueArr();
        if (!index.isValid() || index.row() >= list.size())
            return {};
        const QString identifier = kColumnIdentifiers.value(index.column());
        if (identifier == kCheckBoxColumn) {
            if (role == Qt::DecorationRole)
                return ImageLibrary::imageNamed(m_owner->checkBoxImageForRow(index.row()));
            return {};
        }
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return m_owner->cellText(identifier, index.row());
        case Qt::DecorationRole:
            if (identifier == QStringLiteral("name"))
                return iconPixmap(list[index.row()]->icon());
            return {};
        case ImageAndTextCell::SubWidthRole:
            return titleWidth(index.column());
        default:
            return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        // Rows are picked for the highlight only; nothing is edited in place.
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    // The title widths of the text columns, kept inside the columns this window has room for.
    float titleWidth(int column) const
    {
        static const float widths[] = {0, 200, 200, 100, 100};
        const float available = float(theme::kMainColumnWidths[column]) - (column == 1 ? 24 : 6);
        return std::min(widths[column], available);
    }

private:
    MainWindowController *m_owner;
};

// The check-box column: the row's check-box image, centred.
class CheckBoxCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QPixmap image = index.data(Qt::DecorationRole).value<QPixmap>();
        if (image.isNull())
            return;
        const QRectF target(option.rect.x() + (option.rect.width() - 16) / 2.0,
                            option.rect.y() + (option.rect.height() - 16) / 2.0, 16, 16);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, image, QRectF(image.rect()));
        painter->restore();
    }
};

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

QLabel *makeLabel(QWidget *parent, const QRectF &frame, const QString &text, const QFont &font, const QColor &color)
{
    return WindowPaneBuilder::makeLabel(parent, frame, text, font, color, Qt::AlignCenter);
}

} // namespace

MainWindowController::MainWindowController(QObject *parent)
    : FadingWindowController(parent)
{
    m_window = std::make_unique<TCImageWindow>(QSize(kContentWidth, kContentHeight));
    m_window->setWindowTitle(QStringLiteral("Ostrivan Nullwell"));
    setWindow(m_window.get());
    buildPanes();
    awakeFromNib();
    windowDidLoad();
}

MainWindowController::~MainWindowController()
{
    // The worker must not report to a controller that is going away.
    if (m_removeFileAndFolder)
        m_removeFileAndFolder->setDelegate(static_cast<RemoveFileAndFolderDelegate *>(nullptr));
    delete m_menu;
    if (m_expansion) {
        m_expansion->disconnect(this);
        m_expansion->wait();
        delete m_expansion;
    }
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
    buildListPane();
    m_setView = makePane(m_drayView);
    m_progressView = makePane(m_drayView);
    m_historyView = makePane(m_drayView);
    showPane(Pane::Add);
}

void MainWindowController::buildAddPane()
{
    auto *pane = new DragView(m_drayView);
    pane->setGeometry(0, 0, kContentWidth, kContentHeight);
    m_addNodeView = pane;

    m_addViewDragView = new DragView(pane);
    kit::setBottomLeftFrame(m_addViewDragView, QRectF(40, 40, 490, 360));
    auto *zone = new QLabel(m_addViewDragView);
    zone->setGeometry(0, 0, 490, 360);
    zone->setStyleSheet(QStringLiteral("border: 2px dashed %1; border-radius: 14px; background: %2;")
                            .arg(theme::mainDropZoneBorder().name(), theme::mainDropZoneFill().name()));
    zone->setAttribute(Qt::WA_TransparentForMouseEvents);
    WindowPaneBuilder::makeImage(m_addViewDragView, QRectF(197, 200, 96, 96), theme::kMainDropImage);
    makeLabel(m_addViewDragView, QRectF(20, 150, 450, 30), tr("Drag files and folders here"),
              theme::helveticaLight(theme::kMainDropHeadlineSize), theme::paneHeadlineColor());
    makeLabel(m_addViewDragView, QRectF(20, 122, 450, 22), tr("They are erased for good: nothing can bring them back."),
              theme::helveticaLight(theme::kPaneMessageSize), theme::paneMessageColor());
    auto *addFiles = new AddView(QRectF(175, 50, 140, 40), m_addViewDragView);
    addFiles->setTextWithName(tr("Add Files"), theme::helveticaLight(15), QStringLiteral("add"));
    addFiles->setButtonEnabled(true);
    addFiles->setDelegate(this);
    addFiles->setButtonAction([this] { addFileButtonAction(); });
    m_addFilesButton = addFiles;
}

void MainWindowController::buildListPane()
{
    m_listTableView = makePane(m_drayView);

    m_listTableDragView = new DragView(m_listTableView);
    kit::setBottomLeftFrame(m_listTableDragView, QRectF(0, theme::kMainBottomBarHeight, kContentWidth,
                                                        kContentHeight - theme::kMainBottomBarHeight));
    m_tableScrollView = new RFOverlayScrollView(m_listTableDragView);
    m_tableScrollView->setGeometry(m_listTableDragView->rect());
    m_valueTableView = new CustomTableView;
    m_valueTableView->setFrameShape(QFrame::NoFrame);
    m_valueTableView->verticalHeader()->setDefaultSectionSize(theme::kMainRowHeight);
    m_valueTableView->setIconSize(QSize(16, 16));
    m_valueTableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_valueTableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_valueTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *model = new FileListModel(this, m_valueTableView);
    m_model = model;
    m_valueTableView->setModel(model);
    m_valueTableView->setItemDelegateForColumn(0, new CheckBoxCell(m_valueTableView));
    for (int column = 1; column < kColumnIdentifiers.size(); ++column)
        m_valueTableView->setItemDelegateForColumn(column, new ImageAndTextCell(m_valueTableView));
    for (int column = 0; column < kColumnIdentifiers.size(); ++column)
        m_valueTableView->setColumnWidth(column, theme::kMainColumnWidths[column]);
    m_tableScrollView->setDocumentView(m_valueTableView);
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
            if (row != m_valueTableView->rowNum() && row < m_valueArr.size())
                tableViewShouldSelectRow(row);
        },
        Qt::QueuedConnection);
    connect(m_valueTableView, &RowStyledTableView::toggleRowRequested, this,
            [this](int row) { selectListButton(row); });

    // The bar under the list: empty the list, add more, erase.
    auto *bar = new QWidget(m_listTableView);
    kit::setBottomLeftFrame(bar, QRectF(0, 0, kContentWidth, theme::kMainBottomBarHeight));
    bar->setStyleSheet(QStringLiteral("background: %1; border-top: 1px solid %2;")
                           .arg(theme::dialogPanel().name(), theme::dialogHairline().name()));
    auto *empty = new TCImageButton(m_listTableView);
    empty->setImageFromFileNormalName(theme::kEmptyListImage, theme::kEmptyListPressImage, theme::kEmptyListHoverImage,
                                      theme::kEmptyListDisableImage);
    kit::setBottomLeftFrame(empty, QRectF(20, 14, 100, 32));
    empty->setToolTip(tr("Remove every item from the list"));
    connect(empty, &QPushButton::clicked, this, [this] { emptyListButtonAction(); });
    m_emptyButton = empty;

    m_addButton = new TCImageButton(m_listTableView);
    kit::setBottomLeftFrame(m_addButton, QRectF(404, 10, 40, 40));
    m_addButton->setToolTip(tr("Add files and folders"));
    connect(m_addButton, &QPushButton::clicked, this, [this] { addFileButtonAction(); });
    m_eraserFileButton = new TCImageButton(m_listTableView);
    kit::setBottomLeftFrame(m_eraserFileButton, QRectF(454, 12, 116, 36));
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
    m_listTableDragView->setDelegate(this);
    m_addViewDragView->setDelegate(this);
    m_valueTableView->setListDelegate(this);
    tableViewTitleCheckBox();
    TitleBarDressing::addImage(m_aWindow, QRectF(0, 0, kContentWidth, theme::kMainTitleBarHeight),
                               theme::kMainTitleBarImage);
    addTitleForWindow();
    m_valueArr.clear();
    m_deleteErrorArr.clear();
    m_aSelectAllState = 0;
    static_cast<DragView *>(m_addNodeView.data())->setDelegate(this);
    m_valueTableView->horizontalHeader()->setStretchLastSection(true);
    m_valueTableView->horizontalHeader()->setSectionsMovable(false);

    m_addButton->setImageFromFileNormalName(theme::kAddButtonImage, theme::kAddButtonPressImage,
                                            theme::kAddButtonHoverImage, theme::kAddButtonDisableImage);
    kit::setBottomLeftFrame(m_addButton, QRectF(404, 10, 40, 40));
    m_eraserFileButton->setImageFromFileNormalName(theme::kMainEraseImage, theme::kMainErasePressImage,
                                                   theme::kMainEraseHoverImage, theme::kMainEraseDisableImage);
    kit::setBottomLeftFrame(m_eraserFileButton, QRectF(454, 12, 116, 36));
    connect(m_eraserFileButton, &QPushButton::clicked, this, [this] { doEraserButtonClick(); });
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
    if (!m_listTableView->isHidden())
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
        adoptContentView(m_historyWC->contentView(), m_historyView);
    }
    m_historyWC->getEraserHistory();
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
    m_valueArr.clear();
    reloadTable();
    showPane(Pane::Add);
    changeSelectAllButtonState();
}

// ---- File list ----

void MainWindowController::reloadTable()
{
    static_cast<FileListModel *>(m_model)->reload();
    m_valueTableView->viewport()->update();
}

QString MainWindowController::checkBoxImageForRow(int row) const
{
    if (row < 0 || row >= m_valueArr.size())
        return QString();
    return QString::fromLatin1(m_valueArr[row]->isSelect() ? theme::kCheckBoxYesImage : theme::kCheckBoxNoImage);
}

QString MainWindowController::cellText(const QString &identifier, int row) const
{
    if (row < 0 || row >= m_valueArr.size())
        return QString();
    const FileObj &item = *m_valueArr[row];
    if (identifier == QStringLiteral("name"))
        return item.name();
    if (identifier == QStringLiteral("path"))
        return item.url();
    if (identifier == QStringLiteral("size"))
        return sizeTextForItem(item);
    if (identifier == QStringLiteral("type"))
        return item.type();
    return QString();
}

QString MainWindowController::sizeTextForItem(const FileObj &item)
{
    return item.isDir() ? QStringLiteral("--") : byteToSizeWithByte(quint64(std::max<qint64>(0, item.size())));
}

QString MainWindowController::byteToSizeWithByte(quint64 bytes)
{
    // The list shows the settings services' disk-size texts: steps of 1000, terabytes at the top.
    if (bytes <= quint64(std::numeric_limits<qint64>::max()))
        return VQPublicUtilities::longlongDiskSize(qint64(bytes));
    return QString::asprintf("%.2f TB", double(float(double(bytes) / 1e12)));
}

bool MainWindowController::tableViewShouldSelectRow(int row)
{
    m_valueTableView->setRowNum(row);
    reloadTable();
    return true;
}

void MainWindowController::tableViewTitleCheckBox()
{
    QHeaderView *header = m_valueTableView->horizontalHeader();
    const int headerHeight = theme::kLightHeaderHeight;
    m_selectAllButton = new QPushButton(header);
    m_selectAllButton->setFlat(true);
    m_selectAllButton->setGeometry(9, (headerHeight - 16) / 2, 16, 16);
    m_selectAllButton->setIconSize(QSize(16, 16));
    m_selectAllButton->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; background: transparent; }"));
    m_selectAllButton->setCursor(Qt::PointingHandCursor);
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
    int selected = 0;
    for (const FileObjPtr &item : m_valueArr) {
        if (item->isSelect())
            ++selected;
    }
    if (selected == 0)
        return 0;
    return selected == m_valueArr.size() ? 2 : 1;
}

void MainWindowController::changeSelectAllButtonState()
{
    m_aSelectAllState = returnSelectAllState();
    m_eraserFileButton->setEnabled(m_aSelectAllState != 0);
    static const char *const images[] = {theme::kCheckBoxNoImage, theme::kCheckBoxPartImage, theme::kCheckBoxYesImage};
    setSelectAllImage(QString::fromLatin1(images[m_aSelectAllState]));
    reloadTable();
}

void MainWindowController::selectListButton(int row)
{
    if (row < 0 || row >= m_valueArr.size())
        return;
    m_valueArr[row]->setIsSelect(!m_valueArr[row]->isSelect());
    changeSelectAllButtonState();
}

void MainWindowController::setAllSelectOrNoSelect()
{
    if (m_valueArr.isEmpty())
        return;
    const bool select = m_aSelectAllState != 2;
    m_eraserFileButton->setEnabled(select);
    m_aSelectAllState = select ? 2 : 0;
    setSelectAllImage(QString::fromLatin1(select ? theme::kCheckBoxYesImage : theme::kCheckBoxNoImage));
    for (const FileObjPtr &item : m_valueArr)
        item->setIsSelect(select);
    reloadTable();
}

// ---- Right-click menu ----

void MainWindowController::listRightMouseDown(QMouseEvent *event)
{
    if (m_valueArr.isEmpty() || !event)
        return;
    const int row = m_valueTableView->rowAt(event->position().toPoint().y());
    QMenu *menu = contextMenuForRow(row);
    if (!menu)
        return;
    menu->popup(event->globalPosition().toPoint());
}

QMenu *MainWindowController::contextMenuForRow(int row)
{
    if (row < 0 || row >= m_valueArr.size())
        return nullptr;
    const FileObjPtr item = m_valueArr[row];
    if (item->url().isEmpty())
        return nullptr;
    delete m_menu;
    m_menu = new QMenu(m_valueTableView);
    m_menu->addAction(tr("Open"), this, [this, item] { openFinderWhenClickItems(item); });
    m_menu->addAction(tr("Reveal in Folder"), this, [this, item] { showInFinderWhenClickItems(item); });
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        // The chosen action runs after the menu hides: let it go once that has happened.
        QMetaObject::invokeMethod(this, [this] { menuDidClose(); }, Qt::QueuedConnection);
    });
    return m_menu;
}

void MainWindowController::menuDidClose()
{
    if (m_menu)
        m_menu->deleteLater();
    m_menu = nullptr;
}

void MainWindowController::openFinderWhenClickItems(const FileObjPtr &item)
{
    if (!item || item->url().isEmpty()) {
        Panels::shared().runAlert(m_window.get(), tr("Cannot open file"), QString(), Panels::AlertStyle::Critical);
        return;
    }
    Workspace::sharedWorkspace().openFile(item->url());
}

void MainWindowController::showInFinderWhenClickItems(const FileObjPtr &item)
{
    if (!item || item->url().isEmpty()) {
        Panels::shared().runAlert(m_window.get(), tr("Cannot open Folder"), QString(), Panels::AlertStyle::Critical);
        return;
    }
    QString path = item->url();
    // A package (an application bundle) is one thing to the person: show it inside its folder
    // rather than opening it up.
    const QFileInfo info(path);
    if (info.isDir() && info.suffix() == QStringLiteral("app"))
        path = info.absolutePath();
    Workspace::sharedWorkspace().selectFile(path);
}

// ---- Adding ----

void MainWindowController::setFileSystemTypeSource(FileSystemTypeSource source)
{
    fileSystemTypeSource() = std::move(source);
}

QString MainWindowController::fileSystemTypeForPath(const QString &path)
{
    if (fileSystemTypeSource())
        return fileSystemTypeSource()(path);
    const QStorageInfo storage(path);
    return storage.isValid() ? QString::fromLatin1(storage.fileSystemType()) : QString();
}

bool MainWindowController::isNTFSType(const QString &type)
{
    return type.contains(QStringLiteral("ntfs")) || type.contains(QStringLiteral("NTFS"))
           || type.toLower().contains(QStringLiteral("lifs"));
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
        const QString first = result.paths.first();
        const QStorageInfo storage(first);
        const QString type = fileSystemTypeForPath(first);
        platform::logf("Result:%i Volume: %s, Removable:%i, W:%i, Unmountable:%i, Desc:%s, type:%s",
                       int(!type.isEmpty()), qUtf8Printable(first), 0, int(!storage.isReadOnly()),
                       int(storage.isValid() && storage.rootPath() != QStringLiteral("/")),
                       qUtf8Printable(storage.displayName()), qUtf8Printable(type));
        if (isNTFSType(type)) {
            showNTFSWindow();
            return;
        }
        if (!addPaths(result.paths))
            return;
    }
    if (result.frame.isValid())
        m_rectNew = result.frame;
    if (m_valueArr.isEmpty())
        return;
    showListAfterAdding();
}

void MainWindowController::viewDragAction(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (isNTFSType(fileSystemTypeForPath(paths.first()))) {
        showNTFSWindow();
        return;
    }
    if (!addPaths(paths))
        return;
    if (m_valueArr.isEmpty())
        return;
    showListAfterAdding();
}

bool MainWindowController::addPaths(const QStringList &paths)
{
    // One look-up per path however long the list: the same exact string comparison as before.
    QSet<QString> listed;
    listed.reserve(m_valueArr.size() + paths.size());
    for (const FileObjPtr &item : m_valueArr)
        listed.insert(item->url());
    SolidStateCache solidState;
    for (const QString &path : paths) {
        // However "/" is written or reached, it would hand the whole system to the eraser.
        if (RootFolder::isRootPath(path))
            return false;
        if (listed.contains(path))
            continue;
        listed.insert(path);
        struct stat disk
        {
        };
        const bool exists = examineItem(path, disk);
        const bool isDir = exists && S_ISDIR(disk.st_mode);
        FileObjPtr item = buildItem(path, isDir, exists ? &disk : nullptr, solidState);
        if (isDir)
            item->setSize(0);
        m_valueArr.append(item);
    }
    return true;
}

void MainWindowController::showListAfterAdding()
{
    reloadTable();
    showPane(Pane::List);
    changeSelectAllButtonState();
}

void MainWindowController::showNTFSWindow()
{
    NTFSWindowController notice;
    notice.showWindow();
    notice.runModal();
}

FileObjPtr MainWindowController::buildFileObj(const QString &path, bool isDir) const
{
    struct stat disk
    {
    };
    const bool exists = examineItem(path, disk);
    SolidStateCache solidState;
    return buildItem(path, isDir, exists ? &disk : nullptr, solidState);
}

FileObjPtr MainWindowController::buildItem(const QString &path, bool isDir, const struct stat *disk,
                                           SolidStateCache &solidState)
{
    auto item = std::make_shared<FileObj>();
    const QFileInfo info(path);
    item->setName(info.fileName());
    item->setUrl(path);
    item->setSize(disk ? qint64(disk->st_size) : 0);
    item->setIcon(iconFor(info, isDir));
    item->setType(isDir ? QStringLiteral("Folder") : info.suffix());
    item->setIsDir(isDir);
    item->setIsSelect(true);
    item->setIsSymbolicLink(disk && S_ISLNK(disk->st_mode));
    item->setIsSSD(disk && solidState.isSolidStateDevice(disk->st_dev));
    return item;
}

QIcon MainWindowController::iconFor(const QFileInfo &info, bool isDir)
{
    static QFileIconProvider provider;
    if (isDir) {
        static const QIcon folder = provider.icon(QFileIconProvider::Folder);
        return folder;
    }
    if (info.suffix() == QStringLiteral("app"))
        return provider.icon(info);
    // One look-up per type, not per item: long lists share a few extensions.
    static QHash<QString, QIcon> byType;
    const QString suffix = info.suffix().toLower();
    const auto known = byType.constFind(suffix);
    if (known != byType.constEnd())
        return *known;
    static QMimeDatabase mimes;
    const QMimeType type =
        mimes.mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    const QIcon icon = QIcon::fromTheme(type.iconName(), provider.icon(QFileIconProvider::File));
    byType.insert(suffix, icon);
    return icon;
}

void MainWindowController::addFileToArr(const QString &path, bool isDir)
{
    FileObjPtr item = buildFileObj(path, isDir);
    if (isDir)
        item->setSize(0);
    m_valueArr.append(item);
}

// ---- Erase run ----

void MainWindowController::doEraserButtonClick()
{
    m_deleteErrorArr.clear();
    m_isCancel = false;
    // The previous run's window may still be winding down; it goes once its loop has ended.
    if (m_shredProgessWC)
        m_shredProgessWC.release()->deleteLater();
    m_shredProgessWC = std::make_unique<ShredProgressWindowController>();
    m_shredProgessWC->setDelegate(this);
    m_shredProgessWC->runModal();
}

FileObjList MainWindowController::selectedItems() const
{
    FileObjList chosen;
    std::copy_if(m_valueArr.cbegin(), m_valueArr.cend(), std::back_inserter(chosen),
                 [](const FileObjPtr &item) { return item->isSelect(); });
    return chosen;
}

FileObjList MainWindowController::workListForSelection() const
{
    return WorkListBuilder().build(selectedItems());
}

void MainWindowController::doDeleteButtonClick()
{
    m_isFailedEraser = false;
    if (m_removeFileAndFolder) {
        m_removeFileAndFolder->setDelegate(static_cast<RemoveFileAndFolderDelegate *>(nullptr));
        m_removeFileAndFolder.release()->deleteLater();
    }
    if (m_expansion)
        return; // the previous press is still listing what it will erase
    // Listing a large tree takes a while: it runs on its own thread while the progress window
    // stays responsive, and the erasing starts here once the list is complete.
    const FileObjList chosen = selectedItems();
    auto workList = std::make_shared<FileObjList>();
    m_expansion = QThread::create([chosen, workList] { *workList = WorkListBuilder().build(chosen); });
    connect(m_expansion, &QThread::finished, this, [this, workList] {
        m_expansion->deleteLater();
        m_expansion = nullptr;
        startWorker(m_isCancel ? FileObjList() : *workList);
    });
    m_expansion->start();
}

void MainWindowController::startWorker(const FileObjList &workList)
{
    m_removeFileAndFolder = std::make_unique<RemoveFileAndFolder>();
    m_removeFileAndFolder->setDelegate(static_cast<RemoveFileAndFolderDelegate *>(this));
    m_removeFileAndFolder->benginToTraskWithArr(workList);
}

void MainWindowController::eumeAllArrWithFileObj(const FileObjPtr &folder, FileObjList &workList) const
{
    WorkListBuilder().expandFolder(folder, workList);
}

void MainWindowController::removeProgress(float percent, const QString &path)
{
    const int shown = int(std::trunc(percent));
    QMetaObject::invokeMethod(
        this,
        [this, shown, path] {
            if (m_shredProgessWC)
                m_shredProgessWC->changeProgressValue(shown, path);
        },
        Qt::QueuedConnection);
}

void MainWindowController::haveFailEraser()
{
    m_isFailedEraser = true;
}

void MainWindowController::cancelShred()
{
    m_isCancel = true;
    if (m_removeFileAndFolder)
        m_removeFileAndFolder->isCancel();
}

void MainWindowController::removeObjEnd(const FileObjList &deleteErrorArr)
{
    Q_UNUSED(deleteErrorArr);
    showEndShred();
}

void MainWindowController::showEndShred()
{
    platform::log(QStringLiteral("---------0------------"));
    // The marks come from what is left on disk, so they are taken first: an item the tool left
    // behind must not end on the success pane even when the tool reported nothing.
    FileObjList remaining;
    FileObjList marked;
    bool anyLeft = false;
    for (const FileObjPtr &item : m_valueArr) {
        if (!item->isSelect()) {
            remaining.append(item);
            continue;
        }
        // Judged as the worker judges its own removals: a path that cannot be walked without
        // following a link, or cannot even be named, is not known to be gone.
        const bool stillThere = !AnchoredPath::isGone(item->url());
        item->setFailStr(stillThere ? QStringLiteral("Failed") : QStringLiteral("Erased"));
        anyLeft = anyLeft || stillThere;
        marked.append(item);
    }
    if (m_shredProgessWC) {
        if (m_isFailedEraser || m_isCancel || anyLeft) {
            if (m_isCancel)
                m_shredProgessWC->failedNodeLable()->setText(tr("The operation was canceled by the user."));
            m_shredProgessWC->showFailView();
        } else {
            platform::log(QStringLiteral("---------1------------"));
            m_shredProgessWC->showSeccView();
        }
    }
    platform::log(QStringLiteral("---------2------------"));
    m_eraserFileButton->setEnabled(false);
    setSelectAllImage(QString::fromLatin1(theme::kCheckBoxNoImage));
    platform::log(QStringLiteral("---------3------------"));
    platform::log(QStringLiteral("---------4------------"));
    for (const FileObjPtr &item : m_valueArr) {
        Q_UNUSED(item);
        platform::log(QStringLiteral("---------5------------"));
    }
    m_deleteErrorArr.append(marked);
    QStringList results;
    for (const FileObjPtr &item : m_deleteErrorArr)
        results.append(item->url() + QStringLiteral(" = ") + item->failStr());
    platform::log(QStringLiteral("----(%1)").arg(results.join(QStringLiteral(", "))));
    DoDataBase::returnDoDataBase()->writePlistForHistoryWithArr(m_deleteErrorArr);
    m_valueArr = remaining;
    reloadTable();
    if (m_valueArr.isEmpty()) {
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
    m_deleteErrorArr.clear();
}

void MainWindowController::closeLogWindow()
{
    ApplicationModal::stopModal();
    if (m_logWindowC && m_logWindowC->window())
        m_logWindowC->window()->hide();
}

void MainWindowController::cliearLosButtonAction()
{
    m_deleteErrorArr.clear();
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
    DoDataBase::returnDoDataBase()->writeWipeVolumesOrFree(m_selectVolumeObj.volumeName(), result,
                                                          m_selectEraserType == 1);
    if (m_eraseButton)
        m_eraseButton->setEnabled(false);
}
