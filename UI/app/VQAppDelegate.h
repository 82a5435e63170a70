#pragma once

#include "TCImageButton.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class MainWindowController;
class VQCheckUpdateWindowController;

// The application's delegate: when launching has finished it shows the main window, and it is
// the target of the application menu. The main window has no platform menu bar, so the menu
// hangs from a button at the right end of the main window's title bar; its shortcuts work
// whenever the main window is active.
class VQAppDelegate : public QObject
{
    Q_OBJECT

public:
    // The fixed product pages of the Tools menu.
    static const QString kHardDriveEraserPage;
    static const QString kDataRecoveryPage;
    static const QString kLaunchpostPage;

    explicit VQAppDelegate(QObject *parent = nullptr);
    ~VQAppDelegate() override;

    // Makes the menu's items (titles of the Tools items, the hidden separator); the menu itself is
    // built the first time it is asked for, since the first window does not show it.
    void awakeFromNib();
    void applicationDidFinishLaunching();
    void runRootWindow();
    // A quit is never delayed.
    bool applicationShouldTerminate() const { return true; }
    void applicationWillTerminate();
    // Every item the delegate serves is always enabled.
    bool validateMenuItem(const QAction *item) const;

    // ---- Menu actions ----
    void aboutAction();
    void checkUpdateAction();
    void helpTranslate();
    void userGuideMenuAction();
    void supportCenterAction();
    void onlineHelp();
    void hardDriveEraserMenuItemAction();
    void dataRecoveryMenuItemAction();
    void launchpostMenuItemAction();
    void ChangeLanguage() {}
    // Quits the application (the menu's Quit item).
    void quitAction();
    void doGetAllVolume() {}

    MainWindowController *mainWindow() const { return m_mainWindow.get(); }
    VQCheckUpdateWindowController *checkUpdateWindow() const { return m_checkUpdateWindow.get(); }
    // The menu, built on the first call.
    QMenu *applicationMenu();
    TCImageButton *menuButton() const { return m_menuButton; }
    QAction *about() const { return m_about; }
    QAction *checkUpdate() const { return m_checkUpdate; }
    QAction *onlineHelpItem() const { return m_onlineHelp; }
    QAction *supportCenter() const { return m_supportCenter; }
    QAction *userGuide() const { return m_userGuide; }
    QAction *translate() const { return m_Translate; }
    QAction *hardDriveEraser() const { return m_hardDriveEraser; }
    QAction *tools_1() const { return m_tools_1; }
    QAction *tools_2() const { return m_tools_2; }
    QAction *line() const { return m_line; }
    QAction *exit() const { return m_exit; }

    // Where the application menu opens below its title-bar button (global position).
    static QPoint menuPosition(QMenu *menu, const QWidget *button);

    // Every action of the menu, submenus included (tests); builds the menu.
    QList<QAction *> allMenuActions();

private:
    void openLink(const QString &key);
    void installMenuButton();
    QAction *addItem(const QString &title, void (VQAppDelegate::*action)(),
                     const QKeySequence &shortcut = QKeySequence());

    std::unique_ptr<VQCheckUpdateWindowController> m_checkUpdateWindow;
    std::unique_ptr<QMenu> m_menu;
    // The items that do something, in the menu's order: the window takes them for their shortcuts.
    QList<QAction *> m_items;
    QPointer<QAction> m_about;
    QPointer<QAction> m_checkUpdate;
    QPointer<QAction> m_exit;
    QPointer<QAction> m_onlineHelp;
    QPointer<QAction> m_supportCenter;
    QPointer<QAction> m_Translate;
    QPointer<QAction> m_userGuide;
    QPointer<QAction> m_hardDriveEraser;
    QPointer<QAction> m_tools_1;
    QPointer<QAction> m_line;
    QPointer<QAction> m_tools_2;
    QPointer<TCImageButton> m_menuButton;
    std::unique_ptr<MainWindowController> m_mainWindow;
};
