#include "RemoveFileAndFolder.h"

#include "AnchoredPath.h"
#include "EraserBatch.h"
#include "ImmutableFlag.h"
#include "RootFolder.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
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
    releaseBatch();
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
    m_eraserTimes = getEraserTimes();
    m_handed.clear();
    m_idx = 0;
    if (m_allFilesArr.isEmpty()) {
        // Nothing to erase: the owner still expects every run it starts to end.
        m_idx = -1;
        doneErasing();
        return;
    }
    QPointer<RemoveFileAndFolder> self(this);
    if (auto *d = delegate())
        d->removeProgress(m_allFilesArr.size() == 1 ? 30.0f : 0.0f, m_allFilesArr.at(0)->url());
    if (!self)
        return;
    announceCurrentItem();
    runTaskWithPath();
}

void RemoveFileAndFolder::announceCurrentItem()
{
    platform::log(QStringLiteral("-------::") + m_allFilesArr.at(m_idx)->url());
}

bool RemoveFileAndFolder::runTaskWithPath()
{
    if (m_idx < 0 || m_idx >= m_allFilesArr.size() || m_finishing)
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
    if (m_idx < 0 || m_idx >= m_allFilesArr.size() || m_awaitingBatchEnd)
        return;
    if (!m_handed.empty() && m_handed.front().listIndex == m_idx) {
        takeAnswer();
        return;
    }
    const FileObjPtr item = m_allFilesArr.at(m_idx);
    const QString path = item->url();

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
    const QString flag = eraserFlag(item->isSSD(), m_eraserTimes);
    if (m_pEraser && !m_pEraser->hasEnded() && m_pEraser->flag() != flag) {
        // Every earlier item has its result: let that child sync and end, then come back here.
        m_awaitingBatchEnd = true;
        m_pEraser->finish();
        return;
    }
    // Checked before the tool starts, so that a file it could not remove is not overwritten either.
    if (!isDeletableFileAtPath(anchored) || !checkPermissions(anchored)) {
        failItem(item, QStringLiteral("--没有权限--------") + path);
        return;
    }
    ImmutableFlag::clear(anchored.folderFd(), anchored.leaf());

    m_filePathStr = path;
    if (!ensureBatch(flag)) {
        failItem(item, QStringLiteral("srm could not be started for ") + path);
        return;
    }
    if (!m_pEraser->send(path)) {
        failItem(item, QStringLiteral("srm could not be handed ") + path);
        return;
    }
    m_handed.push_back(Handed{m_idx, m_pEraser->sentCount() - 1});
    lookAhead();
    // Judged when the tool answers for it (onBatchChanged).
}

void RemoveFileAndFolder::lookAhead()
{
    if (m_isCancel || !m_pEraser || m_pEraser->hasEnded() || m_handed.empty())
        return;
    for (qsizetype next = m_handed.back().listIndex + 1;
         next < m_allFilesArr.size() && m_handed.size() < size_t(kLookAhead); ++next) {
        const FileObjPtr &item = m_allFilesArr.at(next);
        if (!item->refusal().isEmpty() || item->isDir() ||
            eraserFlag(item->isSSD(), m_eraserTimes) != m_pEraser->flag())
            return;
        // Only a file that needs nothing changed goes early; anything else waits for its turn.
        AnchoredPath anchored(item->url());
        struct stat info
        {
        };
        if (!anchored.examine(info) || !S_ISREG(info.st_mode) || info.st_size == 0 ||
            !isDeletableFileAtPath(anchored))
            return;
        const int fd = anchored.openForWriting();
        if (fd < 0)
            return;
        ::close(fd);
        if (!m_pEraser->send(item->url()))
            return;
        m_handed.push_back(Handed{next, m_pEraser->sentCount() - 1});
    }
}

void RemoveFileAndFolder::takeAnswer()
{
    const Handed handed = m_handed.front();
    const FileObjPtr item = m_allFilesArr.at(handed.listIndex);
    const QString path = item->url();
    if (handed.batchIndex < m_pEraser->answeredCount()) {
        const EraserBatch::Answer &answer = m_pEraser->answer(handed.batchIndex);
        m_handed.pop_front();
        m_deleteErrorArr.append(item);
        QPointer<RemoveFileAndFolder> self(this);
        if (!answer.ok)
            markFailed(item,
                       QStringLiteral("srm could not erase ") + path + QStringLiteral(": ") + answer.reason);
        else if (AnchoredPath::isGone(path))
            item->setFailStr(kSuccess);
        else
            markFailed(item, path + QStringLiteral(" is still there after srm erased it"));
        if (self)
            doneErasing();
        return;
    }
    if (!m_pEraser->hasEnded()) {
        lookAhead(); // keep the tool busy while it works on this one
        return;
    }
    // The tool ended without answering (stopped, or it died): only the disk can tell.
    m_handed.pop_front();
    m_deleteErrorArr.append(item);
    QPointer<RemoveFileAndFolder> self(this);
    if (AnchoredPath::isGone(path))
        item->setFailStr(kSuccess);
    else
        markFailed(item, QStringLiteral("srm ended before it had erased ") + path);
    if (self)
        doneErasing();
}

bool RemoveFileAndFolder::ensureBatch(const QString &flag)
{
    if (m_pEraser && !m_pEraser->hasEnded())
        return true;
    releaseBatch();
    m_pEraser = std::make_unique<EraserBatch>(flag);
    m_batchEndNoted = false;
    connect(m_pEraser.get(), &EraserBatch::changed, this, &RemoveFileAndFolder::onBatchChanged);
    const QString program = Bundle::mainBundle().pathForResource(QStringLiteral("srm"), QString());
    if (m_pEraser->start(program))
        return true;
    m_batchEndNoted = true; // nothing ran, nothing to report beyond the item itself
    releaseBatch();
    return false;
}

void RemoveFileAndFolder::releaseBatch()
{
    if (!m_pEraser)
        return;
    m_pEraser->disconnect(this);
    EraserBatch::release(std::move(m_pEraser));
}

void RemoveFileAndFolder::onBatchChanged()
{
    if (!m_pEraser)
        return;
    if (m_pEraser->hasEnded())
        noteBatchEnd();
    if (m_finishing) {
        if (m_pEraser->hasEnded())
            finishRun();
        return;
    }
    if (m_awaitingBatchEnd) {
        if (!m_pEraser->hasEnded())
            return;
        m_awaitingBatchEnd = false;
        releaseBatch();
        if (m_isCancel)
            finishRun();
        else
            runTaskWithPath();
        return;
    }
    if (!m_handed.empty() && m_handed.front().listIndex == m_idx)
        runTaskWithPath();
}

void RemoveFileAndFolder::noteBatchEnd()
{
    if (m_batchEndNoted)
        return;
    m_batchEndNoted = true;
    const int status = m_pEraser->exitStatus();
    if (status == 0 || m_isCancel)
        return;
    platform::log(QStringLiteral("srm ended with status %1").arg(status));
    bool allAnswered = m_pEraser->answeredCount() == m_pEraser->sentCount();
    for (qsizetype i = 0; allAnswered && i < m_pEraser->answeredCount(); ++i)
        allAnswered = m_pEraser->answer(i).ok;
    // Every file was answered as erased, yet the tool failed: its final sync of the folders did
    // not go through, so the run must not look clean.
    if (allAnswered)
        if (auto *d = delegate())
            d->haveFailEraser();
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
        doneErasing();
}

void RemoveFileAndFolder::succeedItem(const FileObjPtr &item)
{
    item->setFailStr(kSuccess);
    m_deleteErrorArr.append(item);
    doneErasing();
}

void RemoveFileAndFolder::doneErasing()
{
    ++m_idx;
    // After Stop, the items the tool answered or was working on still get their results; the
    // ones it never reached are left as they were.
    const bool touched = !m_handed.empty() && m_handed.front().listIndex == m_idx && m_pEraser &&
                         m_handed.front().batchIndex <= m_pEraser->answeredCount();
    if (m_idx >= m_allFilesArr.size() || (m_isCancel && !touched)) {
        m_handed.clear();
        finishRun();
        return;
    }

    const float percent = float((qint64(m_idx) * 100) / m_allFilesArr.size());
    QPointer<RemoveFileAndFolder> self(this);
    if (auto *d = delegate())
        d->removeProgress(percent, m_allFilesArr.at(m_idx)->url());
    if (!self) // an owner may drop the worker while it shows progress
        return;
    announceCurrentItem();
    runTaskWithPath();
}

void RemoveFileAndFolder::finishRun()
{
    m_runPending = false;
    if (m_pEraser && !m_pEraser->hasEnded()) {
        // The tool syncs the folders it changed when its input ends; the run ends after it.
        m_finishing = true;
        m_pEraser->finish();
        if (m_isCancel)
            m_pEraser->terminate();
        return;
    }
    m_finishing = false;
    releaseBatch();
    ::sync();
    const FileObjList done = m_deleteErrorArr;
    if (auto *d = delegate())
        d->removeObjEnd(done);
}

void RemoveFileAndFolder::isCancel()
{
    m_isCancel = true;
    // The tool stays until its end arrives: that end is what closes the run.
    if (m_pEraser)
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
    AnchoredPath anchored(path);
    return checkPermissions(anchored);
}

bool RemoveFileAndFolder::checkPermissions(AnchoredPath &anchored)
{
    // Non-blocking, so a FIFO without a reader cannot hang the window; never through a link.
    const int fd = anchored.openForWriting();
    if (fd < 0 && anchored.error() == EACCES)
        return anchored.makeOwnerWritable();
    if (fd >= 0)
        ::close(fd);
    return true;
}
