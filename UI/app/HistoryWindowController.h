#pragma once

#include "CustemImageButton.h"
#include "DoDataBase.h"
#include "FadingWindowController.h"
#include "HistoryDeleteTextFieldCellDelegate.h"
#include "HistoryOutlineModel.h"
#include "TCImageButton.h"
#include "VQCustomOutlineView.h"

#include <QDateTime>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class HistoryDeleteTextFieldCell;
class HistoryTextFieldCell;
class HistoryWindowControllerDelegate;
class QKeyEvent;
class QModelIndex;
class QWidget;

// The erasure history: every recorded run, newest first, with its records; deletes one run or
// all of them, and exports the selected run as an XHTML page.
//
// Outline items are QVariants: the root is an invalid QVariant, a run is its key (QString) and a
// record is its dictionary (QVariantMap with "Items", "Erasure algorithm" and "Result").
class HistoryWindowController : public FadingWindowController, public HistoryDeleteTextFieldCellDelegate
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    explicit HistoryWindowController(QObject *parent = nullptr);
    ~HistoryWindowController() override;

    // 590 x 440; the main window reparents it into its history pane.
    QWidget *contentView() const;
    // Not owned; a listener that has been destroyed is never called.
    void setDelegate(HistoryWindowControllerDelegate *delegate);
    HistoryWindowControllerDelegate *delegate() const;

    // Reloads from the shared history store, newest run first, and opens the newest run.
    void getEraserHistory();

    // ---- Actions ----
    void backButtonAction();
    // Deletes every run on show at once, all or none (no confirmation).
    void emptyListButtonAction();
    // Closes the window and ends the application's modal loop.
    void closeWindow();
    // The state cell's icons on the selected run row; both act on the selected run, not on the
    // argument.
    void clickDeleteWithDate(const QString &date) override;
    void clickExportWithDate(const QString &date) override;
    // Asks where to save the selected run; cancelling writes nothing.
    void getHistorySavePath();
    // Writes the selected run's page to the path; on failure the person is told. True when written.
    bool writeHTML(const QString &path);
    // The name the save panel suggests: "ErasureHistory(<run key of now>)".
    QString suggestedExportName() const;

    // ---- Outline data source and delegate ----
    QVariantList childrenForItem(const QVariant &item) const;
    int numberOfChildrenOfItem(const QVariant &item) const;
    QVariant childOfItem(int index, const QVariant &item) const;
    bool isItemExpandable(const QVariant &item) const;
    bool shouldShowOutlineCellForItem(const QVariant &item) const;
    QString objectValueForTableColumn(const QString &column, const QVariant &item) const;
    // A row was pressed: highlights it and, for a run row, makes
    // its run the one export and delete act on. Always true.
    bool shouldSelectItem(const QModelIndex &index);

    // ---- State ----
    DoDataBase::History historyDic() const { return m_historyDic; }
    QStringList historyAllArr() const { return m_historyAllArr; }
    int selectCellIndex() const { return m_selectCellIndex; }
    QString keyClickStr() const { return m_keyClickStr; }
    VQCustomOutlineView *historyOutlineView() const { return m_historyOutlineView; }
    HistoryOutlineModel *outlineModel() const { return m_model; }
    CustemImageButton *exportButton() const { return m_exportButton; }
    TCImageButton *backHomeBack() const { return m_backHomeBack; }
    QLabel *titleLabel() const { return m_titleLabel; }

    // The menu the menu key or Shift+F10 opens on the highlighted run (Export, Delete); null
    // while none is open.
    QMenu *runMenu() const { return m_runMenu; }

    // The time the suggested export name is made of (tests); an empty clock restores the
    // system's local time.
    void setClock(Clock clock) { m_clock = std::move(clock); }

protected:
    bool fadeOutStopsModal() const override { return true; }
    // The outline's keyboard: Up/Down move between rows, Left/Right between runs, Return or Space
    // opens or closes the highlighted run, Delete deletes it, Ctrl+E exports it, and the menu key
    // or Shift+F10 opens a menu with both.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadWindow();
    void windowDidLoad();
    void clearSelection();
    // Finds where the chosen row now stands and redraws the rows that gain or lose it.
    void refreshSelectedRow();
    void scheduleSelectedRowRefresh();
    QSet<QString> expandedRunKeys() const;
    // Where the run stands in m_historyAllArr; -1 when it is not there.
    int runRow(const QString &key) const;
    bool outlineKeyPressed(QKeyEvent *event);
    QModelIndex highlightedIndex() const;
    void highlight(const QModelIndex &index);
    void openRunMenu();

    DoDataBase::History m_historyDic;
    QStringList m_historyAllArr;
    QPointer<VQCustomOutlineView> m_historyOutlineView;
    QPointer<CustemImageButton> m_exportButton;
    QPointer<TCImageButton> m_backHomeBack;
    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_titleBarView;
    QPointer<QWidget> m_contentView;
    std::unique_ptr<TCImageWindow> m_aWindow;
    QPointer<HistoryOutlineModel> m_model;
    QPointer<HistoryTextFieldCell> m_textCell;
    QPointer<HistoryDeleteTextFieldCell> m_stateCell;
    QPointer<QMenu> m_runMenu;
    int m_selectCellIndex = -1;
    bool m_selectedRowRefreshPending = false;
    // The chosen row: its run, and the record's position in it (-1 for the run row itself).
    QString m_selectedRunKey;
    int m_selectedRecordRow = -1;
    QString m_keyClickStr;
    HistoryWindowControllerDelegate *m_delegate = nullptr;
    std::weak_ptr<const void> m_delegateLife;
    Clock m_clock;
};
