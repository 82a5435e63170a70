#pragma once

#include "CustemImageButton.h"
#include "CustemTypeButtonViewDelegate.h"
#include "CustomTableView.h"
#include "DragView.h"
#include "TCImageButton.h"
#include "CustomListTableViewDelegate.h"
#include "CustomTableViewDelegate.h"
#include "DragViewDelegate.h"
#include "FadingWindowController.h"
#include "FileListAdder.h"
#include "FileListPane.h"
#include "FileObj.h"
#include "HistoryWindowControllerDelegate.h"
#include "LogWindowControllerDelegate.h"
#include "NTFSVolume.h"
#include "RemoveFileAndFolder.h"
#include "SetEraserTimesWindowControllerDelegate.h"
#include "ShredProgressWindowControllerDelegate.h"
#include "VolumeObj.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class EraseAndFreeSpaceProWC;
class EraseRun;
class FileItemMenu;
class FileListModel;
class HistoryWindowController;
class LogWindowController;
class QMouseEvent;
class SetEraserTimesWindowController;
class ShredProgressWindowController;

// The one main window: a 590 x 440 content area showing one of five panes (add, list, settings,
// history, progress), with its title bar, the file list's table and its menu. The list's data is
// a FileListModel, the adding from the open panel and from drops a FileListAdder, and an erase of
// the ticked items an EraseRun; the methods here are the entry points the windows, the worker
// and the application delegate call, and they hand on to those.
class MainWindowController : public FadingWindowController,
                             public ShredProgressWindowControllerDelegate,
                             public CustomTableViewDelegate,
                             public CustomListTableViewDelegate,
                             public LogWindowControllerDelegate,
                             public RemoveFileAndFolderDelegate,
                             public DragViewDelegate,
                             public SetEraserTimesWindowControllerDelegate,
                             public HistoryWindowControllerDelegate,
                             public CustemTypeButtonViewDelegate
{
    Q_OBJECT

public:
    enum class Pane { Add, List, Settings, History, Progress };

    using FileSystemTypeSource = FileListAdder::FileSystemTypeSource;

    static constexpr int kContentWidth = 590;
    static constexpr int kContentHeight = 440;

    explicit MainWindowController(QObject *parent = nullptr);
    ~MainWindowController() override;
    // The images the window shows in its first picture (the add pane, the title bar and its
    // buttons), for drawing ahead while it is built.
    static QStringList firstPictureImages();

    // Shows the window (fading in on the first showing).
    void showWindow();

    // ---- Window ----
    // The window's close button: ends the process at once with status 0.
    void closeWindow();
    void aboutAction();
    void userguideAction();
    void helpAction();
    void addTitleForWindow();
    void changeTitleBarState();
    // "Ostrivan Nullwell" followed by the edition the settings name.
    static QString titleText(const QString &productName);
    void addTitleBarView();

    // ---- Panes ----
    void showLogWindow();
    void backButtonAction() override;
    void settingButtonAction();
    void backHomeButtonAction() override;
    void emptyListButtonAction();
    Pane visiblePane() const;

    // ---- File list ----
    int numberOfRowsInTableView() const { return int(valueArr().size()); }
    void tableViewTitleCheckBox();
    void setAllSelectOrNoSelect();
    // A row's check box.
    void selectListButton(int row);
    void changeSelectAllButtonState();
    int returnSelectAllState() const;
    // Selects the row for the table's highlight; always allowed.
    bool tableViewShouldSelectRow(int row);
    static QString byteToSizeWithByte(quint64 bytes);
    // The size column's text for an item.
    static QString sizeTextForItem(const FileObj &item);

    // ---- Right-click menu ----
    void listRightMouseDown(QMouseEvent *event) override;
    // The menu of the row (null when none shows); the controller owns it until menuDidClose().
    QMenu *contextMenuForRow(int row);
    void menuDidClose();
    void openFinderWhenClickItems(const FileObjPtr &item);
    void showInFinderWhenClickItems(const FileObjPtr &item);

    // ---- Adding ----
    void addFileButtonAction();
    void selectFileButtonAction(QObject *sender = nullptr) override;
    void viewDragAction(const QStringList &paths) override;
    // The notice says the volume is read-only only when its mount is.
    void showNTFSWindow(bool readOnly = false);
    void addFileToArr(const QString &path, bool isDir);
    FileObjPtr buildFileObj(const QString &path, bool isDir) const;
    static bool isNTFSType(const QString &type);
    // The mount of the volume holding path when it is NTFS (decided from the mount's type and,
    // for FUSE mounts, its block device); nothing otherwise.
    static std::optional<NTFSVolume::Mount> ntfsVolumeForPath(const QString &path);
    static void setFileSystemTypeSource(FileSystemTypeSource source);
    static QString fileSystemTypeForPath(const QString &path);

    // ---- Erase run ----
    // The erase button. Not the wipe window's Continue: this window is never that window's
    // delegate, so a wipe can never start a file erase.
    void doEraserButtonClick();
    void doDeleteButtonClick() override;
    void cancelShred() override;
    void viewLog() override;
    void eumeAllArrWithFileObj(const FileObjPtr &folder, FileObjList &workList) const;
    // The work list a run hands to the worker for the current selection.
    FileObjList workListForSelection() const;
    void removeProgress(float percent, const QString &path) override;
    void haveFailEraser() override;
    void removeObjEnd(const FileObjList &deleteErrorArr) override;
    void showEndShred();
    void emptyEndArr() override;
    void closeLogWindow() override;
    void cliearLosButtonAction();
    void changeEraserStart() {}
    void showEndEraser();

    // ---- State, for the application delegate and for tests ----
    const FileObjList &valueArr() const;
    const FileObjList &deleteErrorArr() const;
    int selectAllState() const { return m_aSelectAllState; }
    bool isCancelled() const;
    bool isFailedEraser() const;
    QRect panelFrame() const { return m_rectNew; }
    QString selectAllImageName() const { return m_selectAllImage; }
    QString checkBoxImageForRow(int row) const;
    // The text the column with this identifier shows for the row.
    QString cellText(const QString &identifier, int row) const;

    QWidget *titleBarView() const { return m_titleBarView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    CustomTableView *valueTableView() const { return listPart(m_valueTableView); }
    TCImageButton *setButton() const { return m_setButton; }
    TCImageButton *historyButton() const { return m_historyButton; }
    TCImageButton *addButton() const { return listPart(m_addButton); }
    TCImageButton *eraserFileButton() const { return listPart(m_eraserFileButton); }
    TCImageButton *emptyListButton() const { return listPart(m_emptyButton); }
    CustemImageButton *addFilesButton() const { return m_addFilesButton; }
    QPushButton *selectAllButton() const { return listPart(m_selectAllButton); }
    DragView *drayView() const { return m_drayView; }
    DragView *addViewDragView() const { return m_addViewDragView; }
    DragView *listTableDragView() const { return listPart(m_listTableDragView); }
    QWidget *addNodeView() const { return m_addNodeView; }
    QWidget *listTableView() const { return listPart(m_listTableView); }
    QWidget *setView() const { return m_setView; }
    QWidget *progressView() const { return m_progressView; }
    QWidget *historyView() const { return m_historyView; }
    ShredProgressWindowController *shredProgessWC() const;
    SetEraserTimesWindowController *setWC() const { return m_setWC.get(); }
    HistoryWindowController *historyWC() const { return m_historyWC.get(); }
    RemoveFileAndFolder *removeFileAndFolder() const;
    QMenu *rightClickMenu() const;

    // The process's end when the close button is pressed (tests replace it).
    static void setExitHandler(std::function<void(int status)> handler);

private:
    void windowDidLoad();
    void buildPanes();
    void buildAddPane();
    // The list pane is made the first time anything needs it: the window opens on the add pane,
    // and its table is the costliest part of the window to build.
    void buildListPane();
    void ensureListPane();
    void placeListPaneInFocusChain();
    template <typename Widget>
    Widget *listPart(const QPointer<Widget> &part) const
    {
        const_cast<MainWindowController *>(this)->ensureListPane();
        return part;
    }
    void showPane(Pane pane);
    void reloadTable();
    // The adding shared by both roads: false when NTFS or "/" stopped it (the NTFS notice shown).
    bool addPaths(const QStringList &paths);
    void showListAfterAdding();
    void setSelectAllImage(const QString &name);

    TCImageWindow *m_aWindow = nullptr;
    QPointer<QWidget> m_titleBarView;
    QPointer<QLabel> m_titleLabel;
    QPointer<CustomTableView> m_valueTableView;
    FileListModel *m_fileList;
    std::unique_ptr<EraseRun> m_eraseRun;
    QPointer<TCImageButton> m_setButton;
    QPointer<TCImageButton> m_historyButton;
    int m_aSelectAllState = 0;
    QPointer<TCImageButton> m_emptyButton;
    QPointer<TCImageButton> m_eraseButton;
    std::unique_ptr<SetEraserTimesWindowController> m_setWC;
    QPointer<LogWindowController> m_logWindowC;
    VolumeObj m_selectVolumeObj;
    int m_selectEraserType = 0;
    QPointer<EraseAndFreeSpaceProWC> m_eraserProgessWC;
    QString m_errorString;
    QRect m_rectNew;
    QPointer<TCImageButton> m_addButton;
    QPointer<TCImageButton> m_eraserFileButton;
    QPointer<CustemImageButton> m_addFilesButton;
    QPointer<QWidget> m_addNodeView;
    // The last widget of the window's focus chain once the add pane was made: the list pane's
    // widgets follow it, whenever they are made.
    QPointer<QWidget> m_focusBeforeListPane;
    QPointer<FileListPane> m_listTableView;
    QPointer<QPushButton> m_selectAllButton;
    QString m_selectAllImage;
    QPointer<DragView> m_drayView;
    QPointer<DragView> m_addViewDragView;
    QPointer<DragView> m_listTableDragView;
    QPointer<QWidget> m_setView;
    QPointer<QWidget> m_progressView;
    QPointer<QWidget> m_historyView;
    std::unique_ptr<HistoryWindowController> m_historyWC;
    std::unique_ptr<FileItemMenu> m_itemMenu;
    std::unique_ptr<TCImageWindow> m_window;
};
