#include "VQAppDelegate.h"

#include "KitGeometry.h"
#include "MainWindowController.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "VQAboutWindowController.h"
#include "VQCheckUpdateWindowController.h"
#include "VQLinkUrl.h"
#include "WindowPaneBuilder.h"
#include "platform/NotificationCenter.h"
#include "platform/Workspace.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>

const QString VQAppDelegate::kHardDriveEraserPage = QStringLiteral("https://www.ostrivan.example/drive-eraser/");
const QString VQAppDelegate::kDataRecoveryPage = QStringLiteral("https://www.ostrivan.example/data-recovery/");
const QString VQAppDelegate::kLaunchpostPage = QStringLiteral("https://www.ostrivan.example/launchpost/");

namespace {
const QString kAppWillTerminate = QStringLiteral("appWillTerminate");
}

VQAppDelegate::VQAppDelegate(QObject *parent)
    : QObject(parent)
{
    awakeFromNib();
}

VQAppDelegate::~VQAppDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // The button lives in the main window's title bar, which goes with the window.
}

QAction *VQAppDelegate::addItem(const QString &title, void (VQAppDelegate::*action)(), const QKeySequence &shortcut)
{
    auto *item = new QAction(title, this);
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::ApplicationShortcut);
    connect(item, &QAction::triggered, this, [this, action] { (this->*action)(); });
    m_items.append(item);
    return item;
}

void VQAppDelegate::awakeFromNib()
{
    m_about = addItem(tr("About Ostrivan Nullwell"), &VQAppDelegate::aboutAction);
    m_checkUpdate = addItem(tr("Check for Updates..."), &VQAppDelegate::checkUpdateAction, QKeySequence(Qt::CTRL | Qt::Key_U));
    m_onlineHelp = addItem(tr("Online Help"), &VQAppDelegate::onlineHelp, QKeySequence(Qt::Key_F1));
    m_userGuide = addItem(tr("User Guide"), &VQAppDelegate::userGuideMenuAction);
    m_supportCenter = addItem(tr("Support Center"), &VQAppDelegate::supportCenterAction);
    m_Translate = addItem(tr("Help Translate"), &VQAppDelegate::helpTranslate);
    m_hardDriveEraser = addItem(tr("Drive Eraser"), &VQAppDelegate::hardDriveEraserMenuItemAction);
    m_line = new QAction(this);
    m_line->setSeparator(true);
    m_tools_1 = addItem(QStringLiteral("Tidyhold"), &VQAppDelegate::dataRecoveryMenuItemAction);
    m_tools_2 = addItem(QStringLiteral("Launchpost"), &VQAppDelegate::launchpostMenuItemAction);
    m_exit = addItem(tr("Quit Ostrivan Nullwell"), &VQAppDelegate::quitAction, QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_line->setVisible(false);
}

QMenu *VQAppDelegate::applicationMenu()
{
    if (m_menu)
        return m_menu.get();
    m_menu = std::make_unique<QMenu>();
    m_menu->addActions({m_about, m_checkUpdate});
    m_menu->addSeparator();
    QMenu *help = m_menu->addMenu(tr("Help"));
    help->addActions({m_onlineHelp, m_userGuide, m_supportCenter, m_Translate});
    QMenu *tools = m_menu->addMenu(tr("Tools"));
    tools->addActions({m_hardDriveEraser, m_line, m_tools_1, m_tools_2});
    m_menu->addSeparator();
    m_menu->addAction(m_exit);
    return m_menu.get();
}

QList<QAction *> VQAppDelegate::allMenuActions()
{
    QList<QAction *> actions;
    const std::function<void(QMenu *)> collect = [&](QMenu *menu) {
        for (QAction *action : menu->actions()) {
            actions.append(action);
            if (action->menu())
                collect(action->menu());
        }
    };
    collect(applicationMenu());
    return actions;
}

void VQAppDelegate::applicationDidFinishLaunching()
{
    NotificationCenter::defaultCenter().addObserver(
        this, kAppWillTerminate, [this](const Notification &) { applicationWillTerminate(); }, nullptr);
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // Quitting through the application hides the main window as it goes.
        connect(app, &QCoreApplication::aboutToQuit, this, &VQAppDelegate::applicationWillTerminate,
                Qt::UniqueConnection);
    }
    runRootWindow();
}

void VQAppDelegate::runRootWindow()
{
    if (!m_mainWindow) {
        m_mainWindow = std::make_unique<MainWindowController>();
        // Its panes are laid out for one size: the desktop may neither stretch nor maximise it.
        m_mainWindow->window()->setResizable(false);
        installMenuButton();
        // Centred before it is first shown as well: a window moved once it is on the screen is
        // shown where the desktop first put it and then jumps, and the display server copies its
        // pixels across before the first picture.
        WindowPaneBuilder::center(m_mainWindow->window());
        m_mainWindow->showWindow();
    }
    WindowPaneBuilder::center(m_mainWindow->window());
    m_mainWindow->window()->raise();
    m_mainWindow->window()->activateWindow();
}

void VQAppDelegate::installMenuButton()
{
    TCImageWindow *window = m_mainWindow->window();
    QWidget *titleBar = window->titleBarView();
    m_menuButton = new TCImageButton(titleBar);
    m_menuButton->setImageFromFileNormalName(theme::kMainMenuImage, theme::kMainMenuHoverImage,
                                             theme::kMainMenuHoverImage, theme::kMainMenuImage);
    kit::setBottomLeftFrame(m_menuButton, QRectF(MainWindowController::kContentWidth - 26, 3, 16, 16));
    m_menuButton->setToolTip(tr("Menu"));
    m_menuButton->show();
    m_menuButton->raise();
    QPointer<TCImageButton> button = m_menuButton;
    connect(m_menuButton, &QPushButton::clicked, this, [this, button] {
        if (!button)
            return;
        QMenu *menu = applicationMenu();
        menu->popup(menuPosition(menu, button));
    });
    // The shortcuts work while the main window is active, the menu closed or never built.
    window->addActions(m_items);
}

QPoint VQAppDelegate::menuPosition(QMenu *menu, const QWidget *button)
{
    // The button sits at the window's right end: the menu hangs below it, right edges aligned,
    // so that it opens over the window and not past it; on a screen's edge it stays on the screen.
    const QSize size = menu->sizeHint();
    QPoint at = button->mapToGlobal(QPoint(button->width() - size.width(), button->height()));
    if (const QScreen *screen = button->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() + 1 - size.width())));
        if (at.y() + size.height() > room.bottom() + 1)
            at.setY(qMax(room.top(), button->mapToGlobal(QPoint(0, 0)).y() - size.height()));
    }
    return at;
}

void VQAppDelegate::applicationWillTerminate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_mainWindow && m_mainWindow->window())
        m_mainWindow->window()->hide();
}

bool VQAppDelegate::validateMenuItem(const QAction *item) const
{
    Q_UNUSED(item);
    return true;
}

void VQAppDelegate::aboutAction()
{
    VQAboutWindowController about;
    about.runModal();
    if (m_mainWindow && m_mainWindow->window())
        m_mainWindow->window()->activateWindow();
}

void VQAppDelegate::checkUpdateAction()
{
    if (!m_checkUpdateWindow)
        m_checkUpdateWindow = std::make_unique<VQCheckUpdateWindowController>();
    m_checkUpdateWindow->runModal();
    if (m_mainWindow && m_mainWindow->window())
        m_mainWindow->window()->activateWindow();
}

void VQAppDelegate::openLink(const QString &key)
{
    const QString address = VQLinkUrl::GetUrl(key);
    // No address stored for the key: there is nothing to open.
    if (address.isEmpty())
        return;
    Workspace::sharedWorkspace().openURL(address);
}

void VQAppDelegate::helpTranslate()
{
    openLink(QStringLiteral("Translate"));
}

void VQAppDelegate::userGuideMenuAction()
{
    openLink(QStringLiteral("UserGuide"));
}

void VQAppDelegate::supportCenterAction()
{
    openLink(QStringLiteral("SupportTeam"));
}

void VQAppDelegate::onlineHelp()
{
    openLink(QStringLiteral("OnlineHelp"));
}

void VQAppDelegate::hardDriveEraserMenuItemAction()
{
    Workspace::sharedWorkspace().openURL(kHardDriveEraserPage);
}

void VQAppDelegate::dataRecoveryMenuItemAction()
{
    Workspace::sharedWorkspace().openURL(kDataRecoveryPage);
}

void VQAppDelegate::launchpostMenuItemAction()
{
    Workspace::sharedWorkspace().openURL(kLaunchpostPage);
}

void VQAppDelegate::quitAction()
{
    QCoreApplication::quit();
}
