#pragma once

#include "FileObj.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>
#include <mutex>

class FileListModel;
class QThread;
class QWidget;
class RemoveFileAndFolder;
class RemoveFileAndFolderDelegate;
class ShredProgressWindowController;
class ShredProgressWindowControllerDelegate;

// One erase of the file list's ticked items: the modal progress window, the listing of the chosen
// folders, the worker, the progress shown, and at the end each item's mark ("Erased" only when it
// is gone from the disk) and the run's place in the history. The window and the worker report to
// the opener, which hands their reports on.
class EraseRun : public QObject
{
    Q_OBJECT

public:
    EraseRun(FileListModel *list, ShredProgressWindowControllerDelegate *windowDelegate,
             RemoveFileAndFolderDelegate *workerDelegate, QObject *parent = nullptr);
    ~EraseRun() override;

    // Opens a new progress window (modal) for a run that has not started yet.
    void openProgressWindow();
    // Lists what the chosen items hold, off the main thread, then starts the worker on it.
    void start();
    void cancel();
    void markFailed() { m_isFailedEraser = true; }
    // Called from the worker's thread.
    void reportProgress(float percent, const QString &path);

    // Marks every ticked item by what is left on disk and shows the run's end in the progress
    // window; returns the items that were not part of the run.
    FileObjList markResults();
    // Keeps the marked items as the run's results and writes them to the history.
    void record(QWidget *noticeParent);
    void clearResults() { m_deleteErrorArr.clear(); }

    const FileObjList &deleteErrorArr() const { return m_deleteErrorArr; }
    bool isCancelled() const { return m_isCancel; }
    bool isFailedEraser() const { return m_isFailedEraser; }
    ShredProgressWindowController *progressWindow() const { return m_shredProgessWC.get(); }
    RemoveFileAndFolder *worker() const { return m_removeFileAndFolder.get(); }

    // A notice that the run just ended is not in the history.
    static void tellRunNotRecorded(QWidget *parent);

private:
    void startWorker(const FileObjList &workList);
    // The newest progress the worker reported is shown at most once a frame.
    void showReportedProgress();

    FileListModel *m_list;
    ShredProgressWindowControllerDelegate *m_windowDelegate;
    RemoveFileAndFolderDelegate *m_workerDelegate;
    std::unique_ptr<ShredProgressWindowController> m_shredProgessWC;
    std::unique_ptr<RemoveFileAndFolder> m_removeFileAndFolder;
    // Lists the selected folders for a run that has been confirmed.
    QThread *m_expansion = nullptr;
    FileObjList m_marked;
    FileObjList m_deleteErrorArr;
    bool m_isCancel = false;
    bool m_isFailedEraser = false;

    std::mutex m_progressMutex;
    int m_reportedPercent = 0;
    QString m_reportedPath;
    bool m_progressPosted = false;
    QElapsedTimer m_progressShown;
};
