#pragma once

#include "DelegateRef.h"
#include "FileObj.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class AnchoredPath;
class ProcessRunner;
struct Notification;

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
// by the bundled "srm" tool, and the next item starts when that child has ended. An item counts as
// done ("Success") only when nothing is left under its path afterwards.
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
    // Ends the current item and goes on with the next one, or ends the run. Called with the end
    // of a child, or with none after an item handled without one.
    void doneErasing(const Notification *notification = nullptr);
    // Cancels the run: a running child is asked to end, and the run ends when it has.
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

private:
    void processCurrentItem();
    void handToEraser(const FileObjPtr &item, AnchoredPath &anchored);
    // "Success" only when the child ended with status 0 and nothing is left under the path.
    void judgeErasedItem(const FileObjPtr &item);
    // Marks the item "Fail", logs the reason (when there is one) and tells the delegate.
    void markFailed(const FileObjPtr &item, const QString &reason);
    // Ends an item handled without a child.
    void failItem(const FileObjPtr &item, const QString &reason);
    void succeedItem(const FileObjPtr &item);

    std::unique_ptr<ProcessRunner> m_pEraser;
    std::vector<std::unique_ptr<ProcessRunner>> m_retired;
    QString m_filePathStr;
    FileObjList m_allFilesArr;
    FileObjList m_deleteErrorArr;
    bool m_isCancel = false;
    int m_idx = 0;

    DelegateRef<RemoveFileAndFolderDelegate> m_delegate;

    // Items handled without a child step in a loop, never by nesting calls.
    bool m_inRunLoop = false;
    bool m_runPending = false;
};
