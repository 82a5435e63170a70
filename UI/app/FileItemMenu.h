#pragma once

#include "FileObj.h"

#include <QObject>
#include <QPointer>

class QMenu;
class QWidget;

// The file list's right-click menu: open the item, or show it in its folder. One menu at a time;
// it goes once it has closed and its chosen action has run.
class FileItemMenu : public QObject
{
    Q_OBJECT

public:
    // Failures are told in alerts over alertParent.
    explicit FileItemMenu(QWidget *alertParent, QObject *parent = nullptr);
    ~FileItemMenu() override;

    // A new menu for the item (the previous one goes), owned here until closed().
    QMenu *menuFor(const FileObjPtr &item, QWidget *menuParent);
    void closed();
    QMenu *menu() const { return m_menu; }

    void openItem(const FileObjPtr &item);
    void revealItem(const FileObjPtr &item);

private:
    QWidget *m_alertParent;
    QPointer<QMenu> m_menu;
};
