#include "LogWindowController.h"

#include "DialogLayout.h"
#include "KitGeometry.h"
#include "LogWindowControllerDelegate.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "TitleBarDressing.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {

constexpr int kWidth = 800;
constexpr int kContentHeight = 440;
constexpr int kListBottom = 52;

} // namespace

LogWindowController::LogWindowController(QObject *parent) : QObject(parent) {}

LogWindowController::~LogWindowController() = default;

const QStringList &LogWindowController::columnIdentifiers()
{
    static const QStringList identifiers{QStringLiteral("name"), QStringLiteral("path"), QStringLiteral("fail")};
    return identifiers;
}

QTableWidget *LogWindowController::makeLogList(QWidget *parent)
{
    auto *table = new QTableWidget(0, int(columnIdentifiers().size()), parent);
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Path"), QStringLiteral("Result")});
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideMiddle);
    table->setFocusPolicy(Qt::NoFocus);
    table->verticalHeader()->setDefaultSectionSize(24);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setSectionsClickable(false);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->setColumnWidth(0, 200);
    table->setColumnWidth(1, 380);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setFont(theme::helveticaLight(12));
    table->setStyleSheet(QStringLiteral("QTableWidget { border: 1px solid %1; background: %2; alternate-background-color: %3; }"
                                        "QHeaderView::section { background: %4; border: none; border-bottom: 1px solid %1;"
                                        " padding-left: 6px; height: 24px; color: %5; }")
                             .arg(theme::dialogHairline().name(), theme::dialogSurface().name(),
                                  theme::logRowAlternate().name(), theme::logHeaderFill().name(),
                                  theme::dialogBodyText().name()));
    return table;
}

TCImageWindow *LogWindowController::window()
{
    if (!m_window) {
        m_window = std::make_unique<TCImageWindow>(QSize(kWidth, kContentHeight));
        windowDidLoad();
    }
    return m_window.get();
}

TCImageButton *LogWindowController::addButton(QWidget *content, const QRect &frame, const char *normal,
                                              const char *press, const char *hover, const char *disable)
{
    auto *button = new TCImageButton(content);
    button->setImageFromFileNormalName(normal, press, hover, disable);
    button->setFocusPolicy(Qt::NoFocus);
    kit::setBottomLeftFrame(button, frame);
    button->show();
    return button;
}

void LogWindowController::windowDidLoad()
{
    TCImageWindow *window = m_window.get();
    window->setTitleBarHeight(theme::kStandardTitleBarHeight);
    DialogLayout::setContentHeight(window, kContentHeight);
    TitleBarDressing::addImage(window, QRectF(0, 0, kWidth, 22), QStringLiteral("bg_title_bar"));
    TitleBarDressing::addTitle(window, QRectF(0, 2, kWidth, 17), QStringLiteral("Erase Log"), theme::dialogTitleColor());

    QWidget *content = DialogLayout::makeContentView(window, kContentHeight);
    if (!m_logTableView)
        m_logTableView = makeLogList(content);
    else
        m_logTableView->setParent(content);
    kit::setBottomLeftFrame(m_logTableView, QRectF(10, kListBottom, kWidth - 20, kContentHeight - kListBottom - 10));
    m_logTableView->show();

    m_emptyListButton = addButton(content, QRect(10, 10, 100, 32), theme::kEmptyListImage, theme::kEmptyListPressImage,
                                  theme::kEmptyListHoverImage, theme::kEmptyListDisableImage);
    connect(m_emptyListButton, &QAbstractButton::clicked, this, [this] { emptyButtonAction(); });
    m_okButton = addButton(content, QRect(698, 10, 92, 32), theme::kCloseButtonImage, theme::kCloseButtonPressImage,
                           theme::kCloseButtonHoverImage, theme::kCloseButtonDisableImage);
    connect(m_okButton, &QAbstractButton::clicked, this, [this] { closeLogWindow(); });
    loadData();
}

void LogWindowController::emptyButtonAction()
{
    m_deleteErrorArr.clear();
    loadData();
    if (m_delgate)
        m_delgate->emptyEndArr();
}

void LogWindowController::closeLogWindow()
{
    if (m_delgate)
        m_delgate->closeLogWindow();
}

int LogWindowController::numberOfRowsInTableView() const
{
    return int(m_deleteErrorArr.size());
}

QVariant LogWindowController::objectValueForTableColumn(const QString &column, int row) const
{
    if (row < 0 || row >= m_deleteErrorArr.size() || !m_deleteErrorArr.at(row))
        return QVariant();
    const FileObj &item = *m_deleteErrorArr.at(row);
    if (column == QLatin1String("name"))
        return item.name();
    if (column == QLatin1String("path"))
        return item.url();
    if (column == QLatin1String("fail"))
        return item.failStr();
    return QVariant();
}

QIcon LogWindowController::iconForTableColumn(const QString &column, int row) const
{
    if (column != QLatin1String("name") || row < 0 || row >= m_deleteErrorArr.size() || !m_deleteErrorArr.at(row))
        return QIcon();
    return m_deleteErrorArr.at(row)->icon();
}

void LogWindowController::loadData()
{
    if (!m_logTableView)
        return;
    const QStringList &columns = columnIdentifiers();
    const int rows = numberOfRowsInTableView();
    m_logTableView->clearContents();
    m_logTableView->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns.size(); ++column) {
            const QString text = objectValueForTableColumn(columns.at(column), row).toString();
            auto *cell = new QTableWidgetItem(iconForTableColumn(columns.at(column), row), text);
            cell->setToolTip(text);
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (columns.at(column) == QLatin1String("fail"))
                cell->setForeground(theme::logFailText());
            m_logTableView->setItem(row, column, cell);
        }
    }
}
