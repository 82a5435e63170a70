#pragma once

#include "DelegateRef.h"
#include "FileObj.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <QSet>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <sys/stat.h>

class AnchoredPath;
class EraserBatch;
namespace srm {
class JournalScrub;
}

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
// nothing is left under its path afterwards. A folder emptied by the run stays allocated after its
// removal until what its emptying changed has reached its home place, and the run ends by syncing,
// and clearing the journal of, each file system it touched (see srm::JournalScrub). On XFS, which
// keeps removed names in its folders' blocks, what the worker removes itself (empty files, links,
// emptied folders) is renamed at random in its turn and removed only once the room it left is
// filled and written home, at the end of the run (or when too many folders wait): such an item
// gets its result then, once it is gone. A folder holding an item that failed is not renamed.
//
// Each file goes to the tool with the identity it was examined with and the count of its names
// the run chose from there on: the tool erases that file or nothing, and leaves alone a file that
// other, unchosen names still show. Nothing on a system file system (sysfs, efivarfs...) is
// opened for writing or removed. However many items are removed without the tool, the worker
// steps back to the event loop at least every kSliceMs, so the window repaints and Stop is seen.
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

    // For tests: called on the thread that syncs the run's file systems, before it does.
    void setFlushHook(std::function<void()> hook) { m_flushHook = std::move(hook); }
    // For tests: called on the thread that writes a journal home before a folder goes, before it does.
    void setSettleHook(std::function<void()> hook) { m_settleHook = std::move(hook); }

    // How many files may be handed to the tool ahead of the one whose result is awaited.
    static constexpr int kLookAhead = 32;
    // The longest the worker keeps the event loop waiting while it removes items itself.
    static constexpr int kSliceMs = 20;

private:
    // An item handed to the tool whose result has not been taken yet, with the folder it was
    // examined in: whether it is gone afterwards is asked there, not along a new walk.
    struct Handed
    {
        qsizetype listIndex;
        qsizetype batchIndex;
        std::unique_ptr<AnchoredPath> anchored;
    };

    void processCurrentItem();
    void handToEraser(const FileObjPtr &item, std::unique_ptr<AnchoredPath> anchored,
                      const struct stat &info);
    bool sendToEraser(qsizetype index, std::unique_ptr<AnchoredPath> anchored, const struct stat &info);
    // After Stop: moves on to the first handed file the tool has answered or is working on, past
    // the folders between, which stay as they were; false when the tool never reached one.
    bool skipToTouchedAfterStop();
    // How many names of the examined file the items from index on hold, that one included.
    quint64 chosenNames(qsizetype index, const struct stat &info);
    // Hands the next files to the tool while they need nothing changed first. Folders and refused
    // items are passed over, not waited for: they take their turn in list order all the same.
    void lookAhead();
    // Judges the current item once the tool has answered for it or has ended.
    void takeAnswer();
    bool ensureBatch(const QString &flag);
    // Lets the running tool end (and sync) before the current item is taken up again.
    void awaitBatchEnd();
    void onBatchChanged();
    void noteBatchEnd();
    void releaseBatch();
    void announceCurrentItem();
    // Ends the run once the tool has ended: the sync off this thread, then the end call on it.
    void finishRun();
    // Marks the item "Fail", logs the reason (when there is one) and tells the delegate.
    void markFailed(const FileObjPtr &item, const QString &reason);
    // Removes an emptied folder once what its emptying changed is on its way home (or home); the
    // item fails when its file system could not be settled.
    void settleThenRemoveFolder(const FileObjPtr &item, std::unique_ptr<AnchoredPath> anchored,
                                const struct stat &folder);
    void removeFolder(const FileObjPtr &item, AnchoredPath &anchored);
    // On XFS: renames the entry at random and puts its removal off (see above); false when it is
    // to be removed now instead.
    bool putOffRemoval(const FileObjPtr &item, AnchoredPath &anchored, const struct stat &info);
    // Removes what was put off before the run goes on, once the tool has removed its own files.
    void removePutOffNow();
    // Ends an item handled without a child.
    void failItem(const FileObjPtr &item, const QString &reason);
    void succeedItem(const FileObjPtr &item);
    bool checkPermissions(AnchoredPath &anchored);

    std::unique_ptr<EraserBatch> m_pEraser;
    std::shared_ptr<srm::JournalScrub> m_journals; // the file systems this run touched
    std::function<void()> m_flushHook;
    std::function<void()> m_settleHook;
    // A folder's journal is being written home on another thread; the run goes on after it.
    bool m_settling = false;
    // Items whose removal was put off, with what became of it (empty: gone) once it was tried;
    // written on the thread that removes them, read on this one after that thread is done.
    struct PutOff
    {
        FileObjPtr item;
        std::string reason = "was never removed";
    };
    using PutOffList = std::deque<PutOff>;
    std::shared_ptr<PutOffList> m_putOff;
    // Gives the items whose removal was put off their results.
    void judgePutOff(const PutOffList &putOff);
    // So many folders wait for put-off removals that they are done before the next item.
    bool m_removalsDue = false;
    // The folders (paths, no trailing slash) above an item that failed in this run.
    QSet<QString> m_failedUnder;
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
    // Counts runs, so that a step queued for one run is dropped once another has started.
    quint64 m_run = 0;
    quint64 m_resumeRun = 0;
    QTimer m_resume;
    // Files of the run with more than one name: where in the list each such file's names stand.
    std::map<std::pair<quint64, quint64>, std::vector<qsizetype>> m_linkedNames;
    bool m_linkedNamesKnown = false;
};
