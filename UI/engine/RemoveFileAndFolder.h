#pragma once

#include "DelegateRef.h"
#include "FileObj.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class AnchoredPath;
class EraserBatch;

// What the erasure worker tells its owner. Every method has an empty default, so an owner only
// writes the ones it cares about.
class RemoveFileAndFolderDelegate
{
public:
    virtual ~RemoveFileAndFolderDelegate() = default;
    // The run is over (all items done, or cancelled): every item processed, in order.
    virtual void removeObjEnd(const FileObjList &deleteErrorArr) { (void)deleteErrorArr; }
    // Before each item: the percent done and the path about to be processed.
    virtual void removeProgress(float percent, const QString &path)
    {
        (void)percent;
        (void)path;
    }
    // An item failed.
    virtual void haveFailEraser() {}
};

// Erases a flat work list (children before their folders) one item at a time. What an item is, is
// read from the disk when its turn comes, without following links: emptied folders, empty files,
// links and special files are removed directly; every file with content is overwritten and removed
// by the bundled "srm" tool. One child takes all such files of a run (a new one only where the flag
// string changes or a child ended early) and answers each in turn; a few files ahead of the
// current one are handed over early, so the tool never waits for the window. Results, progress and
// failures still come item by item in list order, and a folder is removed only once every item
// before it has its result. An item counts as done ("Success") only when the tool said so and
// nothing is left under its path afterwards.
class RemoveFileAndFolder : public QObject
{
    Q_OBJECT
public:
    explicit RemoveFileAndFolder(QObject *parent = nullptr);
    ~RemoveFileAndFolder() override;

    // Starts a run. The records are shared with the caller, which sees the results they receive.
    void benginToTraskWithArr(const FileObjList &arr);
    // Processes the item at the current index; false, doing nothing, past the end of the list.
    bool runTaskWithPath();
    // Ends the current item and goes on with the next one, or ends the run.
    void doneErasing();
    // Cancels the run: the tool is stopped within its file, and the run ends with the items it had
    // started or answered.
    void isCancel();

    // The stored erasure method as a pass count, at least 1.
    int getEraserTimes() const;
    // The tool's flag string for an item.
    static QString eraserFlag(bool isSSD, int eraserTimes);
    // Whether the file can be opened for writing, making it owner-writable when it cannot.
    bool checkPermissions(const QString &path);

    FileObjList allFilesArr() const { return m_allFilesArr; }
    void setAllFilesArr(const FileObjList &arr) { m_allFilesArr = arr; }

    RemoveFileAndFolderDelegate *delegate() const;
    // The delegate is retained when given as a shared pointer. A plain pointer is not owned; when
    // it is also a QObject, the worker notices its destruction and stops calling it.
    void setDelegate(RemoveFileAndFolderDelegate *delegate);
    void setDelegate(const std::shared_ptr<RemoveFileAndFolderDelegate> &delegate);

    // How many files may be handed to the tool ahead of the one whose result is awaited.
    static constexpr int kLookAhead = 32;

private:
    // An item handed to the tool whose result has not been taken yet.
    struct Handed
    {
        qsizetype listIndex;
        qsizetype batchIndex;
    };

    void processCurrentItem();
    void handToEraser(const FileObjPtr &item, AnchoredPath &anchored);
    // Hands the next files to the tool while they need nothing changed first.
    void lookAhead();
    // Judges the current item once the tool has answered for it or has ended.
    void takeAnswer();
    bool ensureBatch(const QString &flag);
    void onBatchChanged();
    void noteBatchEnd();
    void releaseBatch();
    void announceCurrentItem();
    // Ends the run once the tool has ended: sync, then the end call.
    void finishRun();
    // Marks the item "Fail", logs the reason (when there is one) and tells the delegate.
    void markFailed(const FileObjPtr &item, const QString &reason);
    // Ends an item handled without a child.
    void failItem(const FileObjPtr &item, const QString &reason);
    void succeedItem(const FileObjPtr &item);
    bool checkPermissions(AnchoredPath &anchored);

    std::unique_ptr<EraserBatch> m_pEraser;
    std::deque<Handed> m_handed;
    QString m_filePathStr;
    FileObjList m_allFilesArr;
    FileObjList m_deleteErrorArr;
    bool m_isCancel = false;
    int m_idx = 0;
    int m_eraserTimes = 1;
    bool m_batchEndNoted = false;
    // Waiting for the tool to end: before a child with another flag string starts, or at the end.
    bool m_awaitingBatchEnd = false;
    bool m_finishing = false;

    DelegateRef<RemoveFileAndFolderDelegate> m_delegate;

    // Items handled without a child step in a loop, never by nesting calls.
    bool m_inRunLoop = false;
    bool m_runPending = false;
};
