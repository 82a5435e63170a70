#include "RemoveFileAndFolder.h"

#include "AnchoredPath.h"
#include "EraserBatch.h"
#include "JournalScrub.h"
#include "RootFolder.h"
#include "base/EraseMethods.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/NativePath.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

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
// The journal scrub reports from the thread that ends the run, too; the log's sink may belong to
// the window, so lines go through the main thread.
void logFromAnyThread(const std::string &line)
{
    const QString text = QString::fromStdString(line);
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread())
        platform::log(text);
    else
        QMetaObject::invokeMethod(application, [text] { platform::log(text); }, Qt::QueuedConnection);
}

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

RemoveFileAndFolder::RemoveFileAndFolder(QObject *parent) : QObject(parent)
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(0);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_resumeRun == m_run)
            runTaskWithPath();
    });
}

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
    m_settling = false;
    m_eraserTimes = getEraserTimes();
    m_handed.clear();
    m_linkedNames.clear();
    m_linkedNamesKnown = false;
    ++m_run;
    m_idx = 0;
    m_journals = std::make_shared<srm::JournalScrub>(logFromAnyThread);
    // Where removed names stay in folder blocks, the worker's own removals wait for the end of the
    // run, after its tool's (which it orders itself, see removePutOffNow).
    m_journals->setRemovalsDeferred(true, true);
    m_putOff = std::make_shared<PutOffList>();
    m_removalsDue = false;
    m_failedUnder.clear();
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
    QElapsedTimer slice;
    slice.start();
    m_inRunLoop = true;
    do {
        m_runPending = false;
        processCurrentItem();
        if (!self)
            return true; // the owner let go of the worker when the run ended
    } while (m_runPending && !slice.hasExpired(kSliceMs));
    m_inRunLoop = false;
    if (m_runPending) {
        // The window gets its turn (input, repaints, Stop) before the next item: a timer, not a
        // posted call, so that what the window has waiting comes first.
        m_runPending = false;
        m_resumeRun = m_run;
        m_resume.start();
    }
    return true;
}

void RemoveFileAndFolder::processCurrentItem()
{
    if (m_idx < 0 || m_idx >= m_allFilesArr.size() || m_awaitingBatchEnd || m_settling)
        return;
    if (!m_handed.empty() && m_handed.front().listIndex == m_idx) {
        takeAnswer();
        return;
    }
    if (m_isCancel && skipToTouchedAfterStop()) {
        takeAnswer();
        return;
    }
    if (m_isCancel) {
        // Stop came between two items: the ones not started are left as they were.
        m_handed.clear();
        ++m_run;
        finishRun();
        return;
    }
    if (m_removalsDue) {
        removePutOffNow();
        return;
    }
    const FileObjPtr item = m_allFilesArr.at(m_idx);
    const QString path = item->url();

    if (!item->refusal().isEmpty()) {
        failItem(item, item->refusal());
        return;
    }
    // What the item is, is read from the disk now, not from what was recorded when it was listed.
    auto held = std::make_unique<AnchoredPath>(path);
    AnchoredPath &anchored = *held;
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
    const QString systemReason = anchored.systemFileSystemReason();
    if (!systemReason.isEmpty()) {
        failItem(item, systemReason);
        return;
    }

    if (S_ISDIR(info.st_mode)) {
        if (!item->isDir())
            failItem(item,
                     path + QStringLiteral(" is a folder but was listed as something else; left alone"));
        else if (RootFolder::isRoot(info.st_dev, info.st_ino))
            failItem(item, path + QStringLiteral(" is the root folder; left alone"));
        else if (putOffRemoval(item, anchored, info))
            return;
        else if (m_pEraser && !m_pEraser->hasEnded() &&
                 srm::JournalScrub::putsRemovalsOff(anchored.folderFd()))
            awaitBatchEnd(); // the tool removes the files it erased there when it ends
        else
            settleThenRemoveFolder(item, std::move(held), info);
        return;
    }
    if (item->isDir()) {
        failItem(item, path + QStringLiteral(" was listed as a folder but is no longer one; left alone"));
        return;
    }
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        handToEraser(item, std::move(held), info);
        return;
    }
    // An empty file, a link (never its target) or a special file: nothing of its own to overwrite,
    // and a device node must never reach the tool, which would overwrite the device.
    if (putOffRemoval(item, anchored, info))
        return;
    m_journals->touch(anchored.folderFd());
    if (anchored.removeEntry(false)) {
        platform::log(QStringLiteral("rm file sec ") + path);
        succeedItem(item);
    } else {
        failItem(item, QStringLiteral("rm file fail ") + anchored.failureText());
    }
}

void RemoveFileAndFolder::handToEraser(const FileObjPtr &item, std::unique_ptr<AnchoredPath> held,
                                       const struct stat &info)
{
    AnchoredPath &anchored = *held;
    const QString path = item->url();
    const QString flag = eraserFlag(item->isSSD(), m_eraserTimes);
    if (m_pEraser && !m_pEraser->hasEnded() && m_pEraser->flag() != flag) {
        // Every earlier item has its result: let that child sync and end, then come back here.
        awaitBatchEnd();
        return;
    }
    // Checked before the tool starts, so that a file it could not remove is not overwritten either.
    if (!isDeletableFileAtPath(anchored) || !checkPermissions(anchored)) {
        failItem(item, QStringLiteral("--没有权限--------") + path);
        return;
    }
    // Marks (immutable, append-only) are the tool's to clear, on the file it has checked.
    m_filePathStr = path;
    m_journals->touch(anchored.folderFd());
    if (!ensureBatch(flag)) {
        failItem(item, QStringLiteral("srm could not be started for ") + path);
        return;
    }
    if (!sendToEraser(m_idx, std::move(held), info)) {
        failItem(item, QStringLiteral("srm could not be handed ") + path);
        return;
    }
    lookAhead();
    // Judged when the tool answers for it (onBatchChanged).
}

void RemoveFileAndFolder::lookAhead()
{
    if (m_isCancel || m_settling || !m_pEraser || m_pEraser->hasEnded() || m_handed.empty())
        return;
    for (qsizetype next = m_handed.back().listIndex + 1;
         next < m_allFilesArr.size() && m_handed.size() < size_t(kLookAhead); ++next) {
        const FileObjPtr &item = m_allFilesArr.at(next);
        // A folder is removed in its turn, once every answer before it is in, and a refused item
        // is never touched: neither needs the tool to wait for it. Where a folder can go only once
        // the tool has ended, the tool is fed no further: it ends there.
        if (!item->refusal().isEmpty())
            continue;
        if (item->isDir()) {
            // On XFS the folder's removal is put off to the end of the run, after the tool's.
            const AnchoredPath folder(item->url());
            if (!folder.isOpen())
                return;
            continue;
        }
        if (eraserFlag(item->isSSD(), m_eraserTimes) != m_pEraser->flag())
            return;
        // Only a file that needs nothing changed goes early; anything else waits for its turn.
        auto held = std::make_unique<AnchoredPath>(item->url());
        AnchoredPath &anchored = *held;
        struct stat info
        {
        };
        if (!anchored.examine(info) || !S_ISREG(info.st_mode) || info.st_size == 0 ||
            !anchored.systemFileSystemReason().isEmpty() || !isDeletableFileAtPath(anchored))
            return;
        if (!anchored.openForWriting().valid())
            return;
        m_journals->touch(anchored.folderFd());
        if (!sendToEraser(next, std::move(held), info))
            return;
    }
}

bool RemoveFileAndFolder::sendToEraser(qsizetype index, std::unique_ptr<AnchoredPath> anchored,
                                       const struct stat &info)
{
    if (!m_pEraser->send(m_allFilesArr.at(index)->url(), quint64(info.st_dev), quint64(info.st_ino),
                         chosenNames(index, info)))
        return false;
    m_handed.push_back(Handed{index, m_pEraser->sentCount() - 1, std::move(anchored)});
    return true;
}

quint64 RemoveFileAndFolder::chosenNames(qsizetype index, const struct stat &info)
{
    if (info.st_nlink <= 1)
        return 1;
    if (!m_linkedNamesKnown) {
        // Once per run, and only when a file with several names turns up: a cheap look at every
        // later item finds the candidates; each is examined properly below before it counts.
        m_linkedNamesKnown = true;
        for (qsizetype i = index; i < m_allFilesArr.size(); ++i) {
            const FileObjPtr &item = m_allFilesArr.at(i);
            struct stat seen
            {
            };
            if (item->isDir() || !item->refusal().isEmpty() ||
                ::fstatat(AT_FDCWD, NativePath::encodeOrEmpty(item->url()).constData(), &seen,
                          AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISREG(seen.st_mode) || seen.st_nlink <= 1)
                continue;
            m_linkedNames[{quint64(seen.st_dev), quint64(seen.st_ino)}].push_back(i);
        }
    }
    quint64 names = 1;
    const auto found = m_linkedNames.find({quint64(info.st_dev), quint64(info.st_ino)});
    if (found == m_linkedNames.end())
        return names;
    for (const qsizetype other : found->second) {
        if (other <= index)
            continue;
        AnchoredPath anchored(m_allFilesArr.at(other)->url());
        struct stat seen
        {
        };
        if (anchored.examine(seen) && seen.st_dev == info.st_dev && seen.st_ino == info.st_ino)
            ++names;
    }
    return names;
}

void RemoveFileAndFolder::takeAnswer()
{
    const FileObjPtr item = m_allFilesArr.at(m_handed.front().listIndex);
    const QString path = item->url();
    if (m_handed.front().batchIndex < m_pEraser->answeredCount()) {
        const EraserBatch::Answer &answer = m_pEraser->answer(m_handed.front().batchIndex);
        // The name is looked for in the folder the file was examined in, the one the tool was
        // told to erase it from by identity: a folder swapped in since cannot stand in for it.
        const std::unique_ptr<AnchoredPath> anchored = std::move(m_handed.front().anchored);
        m_handed.pop_front();
        m_deleteErrorArr.append(item);
        QPointer<RemoveFileAndFolder> self(this);
        if (!answer.ok)
            markFailed(item,
                       QStringLiteral("srm could not erase ") + path + QStringLiteral(": ") + answer.reason);
        else if (anchored->isGone())
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
    const std::unique_ptr<AnchoredPath> anchored = std::move(m_handed.front().anchored);
    m_handed.pop_front();
    m_deleteErrorArr.append(item);
    QPointer<RemoveFileAndFolder> self(this);
    if (anchored->isGone())
        item->setFailStr(kSuccess);
    else
        markFailed(item, QStringLiteral("srm ended before it had erased ") + path);
    if (self)
        doneErasing();
}

void RemoveFileAndFolder::awaitBatchEnd()
{
    m_awaitingBatchEnd = true;
    m_pEraser->finish();
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
        // Files handed ahead (past a folder whose removal is put off) still need its answers.
        if (m_handed.empty())
            releaseBatch();
        // After Stop, what the tool answered for still gets its result before the run ends.
        if (m_isCancel && m_handed.empty())
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

void RemoveFileAndFolder::settleThenRemoveFolder(const FileObjPtr &item, std::unique_ptr<AnchoredPath> anchored,
                                                const struct stat &folder)
{
    // Freed before its emptied version reached its home place, the folder's block would keep the
    // names of what was erased in it.
    const bool writesHome = m_journals->holdWouldWriteHome(anchored->folderFd(), folder);
    if (!writesHome && m_journals->holdFolder(anchored->folderFd(), anchored->leaf(), folder)) {
        removeFolder(item, *anchored);
        return;
    }
    // Writing the journal home takes tens of milliseconds: it happens beside the window, and the
    // run waits for it as it waits for the tool. Nothing else uses the journals meanwhile.
    m_settling = true;
    std::shared_ptr<AnchoredPath> path(std::move(anchored));
    auto *watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, item, path, run = m_run] {
        watcher->deleteLater();
        if (run != m_run)
            return;
        m_settling = false;
        const QString reason = watcher->result();
        if (!reason.isEmpty())
            failItem(item, item->url() + QStringLiteral(": ") + reason);
        else
            removeFolder(item, *path);
    });
    watcher->setFuture(QtConcurrent::run(
        [journals = m_journals, path, folder, writesHome, hook = m_settleHook]() -> QString {
            if (hook)
                hook();
            if (writesHome && journals->holdFolder(path->folderFd(), path->leaf(), folder))
                return {};
            std::string reason;
            if (!journals->settle(path->folderFd(), reason, &folder))
                return QString::fromStdString(reason.empty() ? std::string("cannot be settled") : reason);
            return {};
        }));
}

void RemoveFileAndFolder::removeFolder(const FileObjPtr &item, AnchoredPath &anchored)
{
    m_journals->touch(anchored.folderFd());
    if (!anchored.removeEntry(true))
        failItem(item, anchored.error() == ENOTEMPTY || anchored.error() == EEXIST
                           ? item->url() + QStringLiteral(" still holds entries; left in place")
                           : anchored.failureText());
    else
        succeedItem(item);
}

bool RemoveFileAndFolder::putOffRemoval(const FileObjPtr &item, AnchoredPath &anchored, const struct stat &info)
{
    if (!srm::JournalScrub::putsRemovalsOff(anchored.folderFd()))
        return false;
    // A folder that keeps a failed item is not renamed: its removal is tried as it is, and fails.
    QString path = item->url();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (S_ISDIR(info.st_mode) && m_failedUnder.contains(path))
        return false;
    m_putOff->push_back(PutOff{item});
    srm::JournalScrub::Done done = [putOff = m_putOff, index = m_putOff->size() - 1](const std::string &reason) {
        (*putOff)[index].reason = reason;
    };
    if (!m_journals->deferEntryRemoval(anchored.folderFd(), anchored.leaf(), info, std::move(done))) {
        m_putOff->pop_back();
        return false;
    }
    m_removalsDue = m_journals->wantsRemovalsNow();
    // Its result comes once it is gone (judgePutOff).
    m_deleteErrorArr.append(item);
    doneErasing();
    return true;
}

void RemoveFileAndFolder::removePutOffNow()
{
    // The tool removes the files it erased when it ends; the folders put off here hold them.
    if (m_pEraser && !m_pEraser->hasEnded()) {
        awaitBatchEnd();
        return;
    }
    m_settling = true;
    auto *watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, run = m_run] {
        watcher->deleteLater();
        if (run != m_run)
            return;
        m_settling = false;
        m_removalsDue = false;
        runTaskWithPath();
    });
    watcher->setFuture(QtConcurrent::run([journals = m_journals] { journals->removeDeferredNow(); }));
}

void RemoveFileAndFolder::judgePutOff(const PutOffList &putOff)
{
    for (const PutOff &entry : putOff) {
        if (entry.reason.empty()) {
            if (!entry.item->isDir())
                platform::log(QStringLiteral("rm file sec ") + entry.item->url());
            entry.item->setFailStr(kSuccess);
        } else {
            markFailed(entry.item, entry.item->url() + QStringLiteral(": ") + QString::fromStdString(entry.reason));
        }
    }
}

void RemoveFileAndFolder::markFailed(const FileObjPtr &item, const QString &reason)
{
    if (!reason.isEmpty())
        platform::log(reason);
    // The folders above it keep it: none of them may be renamed on its way out.
    for (QString above = item->url(); above.lastIndexOf(QLatin1Char('/')) > 0;) {
        above.truncate(above.lastIndexOf(QLatin1Char('/')));
        m_failedUnder.insert(above);
    }
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
    if (m_idx >= m_allFilesArr.size() || (m_isCancel && !skipToTouchedAfterStop())) {
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

bool RemoveFileAndFolder::skipToTouchedAfterStop()
{
    if (m_handed.empty() || !m_pEraser || m_handed.front().batchIndex > m_pEraser->answeredCount())
        return false;
    m_idx = int(m_handed.front().listIndex);
    return true;
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
    // A step queued before Stop can come here again once the run's end is under way: that end,
    // with the results of what was put off, is the only one.
    if (!m_journals)
        return;
    // Only the file systems this run changed are synced; their journals are cleared once. That
    // can take a second on a large journal, so it runs beside the window, and the run ends (on
    // this thread) only once it is done. The work owns what it needs: it outlives this object.
    std::shared_ptr<srm::JournalScrub> journals(std::move(m_journals));
    std::shared_ptr<PutOffList> putOff(std::move(m_putOff));
    const FileObjList done = m_deleteErrorArr;
    if (!journals || journals->untouched()) {
        if (auto *d = delegate())
            d->removeObjEnd(done);
        return;
    }
    // Not a child: the delegate may destroy this object from the end call the watcher makes.
    auto *watcher = new QFutureWatcher<void>;
    connect(watcher, &QFutureWatcher<void>::finished, watcher, &QObject::deleteLater);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, done, putOff] {
        QPointer<RemoveFileAndFolder> self(this);
        if (putOff)
            judgePutOff(*putOff);
        if (!self)
            return;
        if (auto *d = delegate())
            d->removeObjEnd(done);
    });
    watcher->setFuture(QtConcurrent::run([journals, hook = m_flushHook] {
        if (hook)
            hook();
        if (journals)
            journals->finish();
    }));
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
    // Solid-state storage gains nothing from more passes than one.
    const base::EraseMethod &method =
        isSSD ? base::kEraseMethods[0] : base::eraseMethodForPassCount(eraserTimes);
    return QString::fromLatin1(method.toolFlags);
}

bool RemoveFileAndFolder::checkPermissions(const QString &path)
{
    AnchoredPath anchored(path);
    return checkPermissions(anchored);
}

bool RemoveFileAndFolder::checkPermissions(AnchoredPath &anchored)
{
    // Non-blocking, so a FIFO without a reader cannot hang the window; never through a link.
    const base::Descriptor fd = anchored.openForWriting();
    if (!fd.valid() && anchored.error() == EACCES)
        return anchored.makeOwnerWritable();
    return true;
}
