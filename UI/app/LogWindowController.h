#pragma once

#include "TCImageButton.h"
#include <QTableWidget>

#include "FileObj.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>

class LogWindowControllerDelegate;
class QWidget;
class TCImageWindow;

// A window listing the items of the last erase run with their name, path and result, with a
// button that empties the list and one that asks the owner to close the window.
class LogWindowController : public QObject
{
    Q_OBJECT

public:
    explicit LogWindowController(QObject *parent = nullptr);
    ~LogWindowController() override;

    // The window, built on first use.
    TCImageWindow *window();

    // Empties the list, shows it empty, then tells the delegate.
    void emptyButtonAction();
    // Tells the delegate that the close button was pressed.
    void closeLogWindow();
    // Shows the list's current items.
    void loadData();

    // The table's data, by column identifier "name", "path" or "fail".
    int numberOfRowsInTableView() const;
    QVariant objectValueForTableColumn(const QString &column, int row) const;
    // The icon the "name" column shows for a row; none outside the list or in other columns.
    QIcon iconForTableColumn(const QString &column, int row) const;
    bool shouldSelectRow(int) const { return true; }
    bool shouldEditTableColumn(const QString &, int) const { return false; }
    bool shouldSelectTableColumn(const QString &) const { return false; }

    FileObjList deleteErrorArr() const { return m_deleteErrorArr; }
    void setDeleteErrorArr(const FileObjList &items) { m_deleteErrorArr = items; }
    QTableWidget *logTableView() const { return m_logTableView; }
    void setLogTableView(QTableWidget *table) { m_logTableView = table; }
    // Not owned; must outlive the controller or be cleared first.
    LogWindowControllerDelegate *delegate() const { return m_delgate; }
    void setDelegate(LogWindowControllerDelegate *delegate) { m_delgate = delegate; }

    TCImageButton *emptyListButton() const { return m_emptyListButton; }
    TCImageButton *okButton() const { return m_okButton; }

    static const QStringList &columnIdentifiers();
    // The list the window shows; kept apart so that a richer file list can take its place.
    static QTableWidget *makeLogList(QWidget *parent);

private:
    void windowDidLoad();
    TCImageButton *addButton(QWidget *content, const QRect &frame, const char *normal, const char *press,
                             const char *hover, const char *disable);

    FileObjList m_deleteErrorArr;
    QPointer<QTableWidget> m_logTableView;
    QPointer<TCImageButton> m_emptyListButton;
    QPointer<TCImageButton> m_okButton;
    LogWindowControllerDelegate *m_delgate = nullptr;
    std::unique_ptr<TCImageWindow> m_window;
};
