#include "FileItemMenu.h"

#include "Panels.h"
#include "platform/Workspace.h"

#include <QFileInfo>
#include <QMenu>

FileItemMenu::FileItemMenu(QWidget *alertParent, QObject *parent)
    : QObject(parent)
    , m_alertParent(alertParent)
{
}

FileItemMenu::~FileItemMenu()
{
    delete m_menu;
}

QMenu *FileItemMenu::menuFor(const FileObjPtr &item, QWidget *menuParent)
{
    delete m_menu;
    m_menu = new QMenu(menuParent);
    m_menu->addAction(tr("Open"), this, [this, item] { openItem(item); });
    m_menu->addAction(tr("Reveal in Folder"), this, [this, item] { revealItem(item); });
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        // The chosen action runs after the menu hides: let it go once that has happened.
        QMetaObject::invokeMethod(this, [this] { closed(); }, Qt::QueuedConnection);
    });
    return m_menu;
}

void FileItemMenu::closed()
{
    if (m_menu)
        m_menu->deleteLater();
    m_menu = nullptr;
}

void FileItemMenu::openItem(const FileObjPtr &item)
{
    if (!item || item->url().isEmpty()) {
        Panels::shared().runAlert(m_alertParent, tr("Cannot open file"), QString(), Panels::AlertStyle::Critical);
        return;
    }
    Workspace::sharedWorkspace().openFile(item->url());
}

void FileItemMenu::revealItem(const FileObjPtr &item)
{
    if (!item || item->url().isEmpty()) {
        Panels::shared().runAlert(m_alertParent, tr("Cannot open Folder"), QString(), Panels::AlertStyle::Critical);
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
