#include "RemoveFileAndFolder.h"

#include "AnchoredPath.h"
#include "ImmutableFlag.h"
#include "ProcessRunner.h"
#include "RootFolder.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSuccess = QStringLiteral("Success");
const QString kFail = QStringLiteral("Fail");

// Whether the item could be removed from its folder: the folder must be writable and searchable,
// and a sticky folder lets only the owners of the item or of the folder remove it.
bool isDeletableFileAtPath(AnchoredPath &anchored)
{
    struct stat folder
    {
    };
    struct stat item
    {
    };
    if (!anchored.isOpen() || ::fstat(anchored.folderFd(), &folder) != 0 ||
        ::faccessat(anchored.folderFd(), ".", W_OK | X_OK, 0) != 0)
        return false;
    if ((folder.st_mode & S_ISVTX) && anchored.examine(item)) {
        const uid_t me = ::geteuid();
        return me == 0 || item.st_uid == me || folder.st_uid == me;
    }
    return true;
}

} // namespace

RemoveFileAndFolder::RemoveFileAndFolder(QObject *parent) : QObject(parent) {}

RemoveFileAndFolder::~RemoveFileAndFolder()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    ProcessRunner::releaseAll(m_retired);
}

RemoveFileAndFolderDelegate *RemoveFileAndFolder::delegate() const
{
    return m_delegate.get();
}

void RemoveFileAndFolder::setDelegate(RemoveFileAndFolderDelegate *delegate)
{
    m_delegate.set(delegate);
}

void RemoveFileAndFolder::setDelegate(const std::shared_ptr<RemoveFileAndFolderDelegate> &delegate)
{
    m_delegate.set(delegate);
}

void RemoveFileAndFolder::benginToTraskWithArr(const FileObjList &arr)
{
    m_deleteErrorArr.clear();
    m_allFilesArr = arr;
    m_isCancel = false;
    NotificationCenter::defaultCenter().addObserver(
        this, ProcessRunner::kTaskDidTerminateNotification,
        [this](const Notification &notification) { doneErasing(&notification); });
    m_idx = 0;
    if (m_allFilesArr.isEmpty()) {
        // Nothing to erase: the owner still expects every run it starts to end.
        m_idx = -1;
        doneErasing(nullptr);
        return;
    }
    QPointer<RemoveFileAndFolder> self(this);
    if (auto *d = delegate())
        d->removeProgress(m_allFilesArr.size() == 1 ? 30.0f : 0.0f, m_allFilesArr.at(0)->url());
    if (self)
        runTaskWithPath();
}

bool RemoveFileAndFolder::runTaskWithPath()
{
    if (m_idx < 0 || m_idx >= m_allFilesArr.size())
        return false;
    if (m_inRunLoop) {
        // Called from a step inside the loop below: the loop takes the next item.
        m_runPending = true;
        return true;
    }
    QPointer<RemoveFileAndFolder> self(this);
    m_inRunLoop = true;
    do {
        m_runPending = false;
        processCurrentItem();
        if (!self)
            return true; // the owner let go of the worker when the run ended
    } while (m_runPending);
    m_inRunLoop = false;
    return true;
}

void RemoveFileAndFolder::processCurrentItem()
{
    const FileObjPtr item = m_allFilesArr.at(m_idx);
    const QString path = item->url();
    platform::log(QStringLiteral("-------::") + path);

    if (!item->refusal().isEmpty()) {
        failItem(item, item->refusal());
        return;
    }
    // What the item is, is read from the disk now, not from what was recorded when it was listed.
    AnchoredPath anchored(path);
    struct stat info
    {
    };
    if (!anchored.examine(info)) {
        QString reason = anchored.failureText();
        if (anchored.error() == ENOENT && path.contains(QChar::ReplacementCharacter))
            reason += QStringLiteral(
                " (its name held bytes that are not text and may not have survived the way here)");
        failItem(item, reason);
        return;
    }

    if (S_ISDIR(info.st_mode)) {
        if (!item->isDir())
            failItem(item,
                     path + QStringLiteral(" is a folder but was listed as something else; left alone"));
        else if (RootFolder::isRoot(info.st_dev, info.st_ino))
            failItem(item, path + QStringLiteral(" is the root folder; left alone"));
        else if (!anchored.removeEntry(true))
            failItem(item, anchored.error() == ENOTEMPTY || anchored.error() == EEXIST
                               ? path + QStringLiteral(" still holds entries; left in place")
                               : anchored.failureText());
        else
            succeedItem(item);
        return;
    }
    if (item->isDir()) {
        failItem(item, path + QStringLiteral(" was listed as a folder but is no longer one; left alone"));
        return;
    }
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        handToEraser(item, anchored);
        return;
    }
    // An empty file, a link (never its target) or a special file: nothing of its own to overwrite,
    // and a device node must never reach the tool, which would overwrite the device.
    if (anchored.removeEntry(false)) {
        platform::log(QStringLiteral("rm file sec ") + path);
        succeedItem(item);
    } else {
        failItem(item, QStringLiteral("rm file fail ") + anchored.failureText());
    }
}

void RemoveFileAndFolder::handToEraser(const FileObjPtr &item, AnchoredPath &anchored)
{
    const QString path = item->url();
    // Checked before the tool starts, so that a file it could not remove is not overwritten either.
    if (!isDeletableFileAtPath(anchored) || !checkPermissions(path)) {
        failItem(item, QStringLiteral("--没有权限--------") + path);
        return;
    }
    if (ImmutableFlag::isSet(path))
        ImmutableFlag::clear(path);

    if (!m_pEraser)
        m_pEraser = ProcessRunner::create();
    const QString program = Bundle::mainBundle().pathForResource(QStringLiteral("srm"), QString());
    const QStringList arguments{eraserFlag(item->isSSD(), getEraserTimes()), path};
    m_filePathStr = path;
    if (!m_pEraser->launch(program, arguments)) {
        failItem(item, QStringLiteral("srm could not be started for ") + path);
        return;
    }
    // Judged when the child has ended (doneErasing).
    m_deleteErrorArr.append(item);
}

void RemoveFileAndFolder::judgeErasedItem(const FileObjPtr &item)
{
    const QString path = item->url();
    if (m_pEraser->failedToStart()) {
        markFailed(item, QStringLiteral("srm could not be started for ") + path);
    } else if (m_pEraser->exitCode() != 0) {
        markFailed(item, QStringLiteral("srm ended with status %1 for ").arg(m_pEraser->exitCode()) + path);
    } else {
        AnchoredPath anchored(path);
        if (anchored.isGone())
            item->setFailStr(kSuccess);
        else
            markFailed(item, path + QStringLiteral(" is still there after srm ended"));
    }
}

void RemoveFileAndFolder::markFailed(const FileObjPtr &item, const QString &reason)
{
    if (!reason.isEmpty())
        platform::log(reason);
    item->setFailStr(kFail);
    if (auto *d = delegate())
        d->haveFailEraser();
}

void RemoveFileAndFolder::failItem(const FileObjPtr &item, const QString &reason)
{
    m_deleteErrorArr.append(item);
    QPointer<RemoveFileAndFolder> self(this);
    markFailed(item, reason);
    if (self)
        doneErasing(nullptr);
}

void RemoveFileAndFolder::succeedItem(const FileObjPtr &item)
{
    item->setFailStr(kSuccess);
    m_deleteErrorArr.append(item);
    doneErasing(nullptr);
}

void RemoveFileAndFolder::doneErasing(const Notification *notification)
{
    if (notification) {
        // Only the end of this worker's own child steps this run.
        if (!m_pEraser || notification->object != m_pEraser.get())
            return;
        if (!m_deleteErrorArr.isEmpty()) {
            QPointer<RemoveFileAndFolder> self(this);
            judgeErasedItem(m_deleteErrorArr.last());
            if (!self)
                return;
        }
    }

    ++m_idx;
    if (m_pEraser)
        ProcessRunner::retire(m_retired, std::move(m_pEraser));

    if (m_idx >= m_allFilesArr.size() || m_isCancel) {
        ::sync();
        NotificationCenter::defaultCenter().removeObserver(this,
                                                           ProcessRunner::kTaskDidTerminateNotification);
        m_runPending = false;
        const FileObjList done = m_deleteErrorArr;
        if (auto *d = delegate())
            d->removeObjEnd(done);
        return;
    }

    const float percent = float((qint64(m_idx) * 100) / m_allFilesArr.size());
    QPointer<RemoveFileAndFolder> self(this);
    if (auto *d = delegate())
        d->removeProgress(percent, m_allFilesArr.at(m_idx)->url());
    if (self) // an owner may drop the worker while it shows progress
        runTaskWithPath();
}

void RemoveFileAndFolder::isCancel()
{
    m_isCancel = true;
    // The runner stays until its child's end arrives: that end is what closes the run.
    if (m_pEraser && m_pEraser->isRunning())
        m_pEraser->terminate();
}

int RemoveFileAndFolder::getEraserTimes() const
{
    const auto times =
        static_cast<std::int32_t>(UserDefaults::standard().integerForKey(QStringLiteral("EraserTimes")));
    return times < 1 ? 1 : times;
}

QString RemoveFileAndFolder::eraserFlag(bool isSSD, int eraserTimes)
{
    if (isSSD)
        return QStringLiteral("-fsvrz");
    switch (eraserTimes) {
    case 3:
        return QStringLiteral("-fEvrz");
    case 7:
        return QStringLiteral("-fmvrz");
    case 35:
        return QStringLiteral("-fvrz");
    default:
        return QStringLiteral("-fsvrz");
    }
}

bool RemoveFileAndFolder::checkPermissions(const QString &path)
{
    // Non-blocking, so a FIFO without a reader cannot hang the window; never through a link.
    AnchoredPath anchored(path);
    const int fd = anchored.openForWriting();
    if (fd < 0 && anchored.error() == EACCES)
        return anchored.makeOwnerWritable();
    if (fd >= 0)
        ::close(fd);
    return true;
}
