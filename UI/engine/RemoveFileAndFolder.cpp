#include "RemoveFileAndFolder.h"

#include "ImmutableFlag.h"
#include "ProcessRunner.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSuccess = QStringLiteral("Success");
const QString kFail = QStringLiteral("Fail");

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Removes the item itself: a link is removed, never what it points to.
void removeItemWithContents(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(nativePath(path).constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        QDir(path).removeRecursively();
    else
        ::unlink(nativePath(path).constData());
}

// Whether the item could be removed from its folder: the folder must be writable and searchable,
// and a sticky folder lets only the owners of the item or of the folder remove it. The item itself
// may already be gone, since the tool works on it at the same time.
bool isDeletableFileAtPath(const QString &path)
{
    const QString parent = QFileInfo(path).absolutePath();
    const QByteArray parentPath = nativePath(parent);
    if (::access(parentPath.constData(), W_OK | X_OK) != 0)
        return false;
    struct stat folder
    {
    };
    struct stat item
    {
    };
    if (::stat(parentPath.constData(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
        ::lstat(nativePath(path).constData(), &item) == 0) {
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

    const QFileInfo info(path);
    if (info.exists() && info.isDir()) {
        const QStringList entries =
            QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if ((item->isDir() && entries.isEmpty()) || path.endsWith(QLatin1String(".app"))) {
            removeItemWithContents(path);
            item->setFailStr(kSuccess);
        } else {
            markFailed(item);
        }
        finishDirectItem(item);
        return;
    }

    if (item->size() == 0) {
        if (::unlink(nativePath(path).constData()) == 0) {
            platform::log(QStringLiteral("rm file sec ") + path);
            item->setFailStr(kSuccess);
        } else {
            platform::log(QStringLiteral("rm file fail ") + path);
            item->setFailStr(kFail);
        }
        finishDirectItem(item);
        return;
    }

    handToEraser(item);
}

void RemoveFileAndFolder::handToEraser(const FileObjPtr &item)
{
    const QString path = item->url();
    if (!m_pEraser)
        m_pEraser = ProcessRunner::create();
    const QString program = Bundle::mainBundle().pathForResource(QStringLiteral("srm"), QString());
    const QStringList arguments{eraserFlag(item->isSSD(), getEraserTimes()), path};
    m_filePathStr = path;

    if (ImmutableFlag::isSet(path))
        ImmutableFlag::clear(path);

    if (!m_pEraser->launch(program, arguments)) {
        platform::log(QStringLiteral("srm could not be started for ") + path);
        markFailed(item);
        finishDirectItem(item);
        return;
    }

    if (isDeletableFileAtPath(path) && checkPermissions(path)) {
        item->setFailStr(kSuccess);
    } else {
        platform::log(QStringLiteral("--没有权限--------") + path);
        markFailed(item);
    }
    m_deleteErrorArr.append(item);
}

void RemoveFileAndFolder::markFailed(const FileObjPtr &item)
{
    item->setFailStr(kFail);
    if (auto *d = delegate())
        d->haveFailEraser();
}

void RemoveFileAndFolder::finishDirectItem(const FileObjPtr &item)
{
    m_deleteErrorArr.append(item);
    doneErasing(nullptr);
}

void RemoveFileAndFolder::doneErasing(const Notification *notification)
{
    if (notification) {
        // Only the end of this worker's own child steps this run.
        if (!m_pEraser || notification->object != m_pEraser.get())
            return;
        if (m_pEraser->failedToStart() && !m_deleteErrorArr.isEmpty()) {
            const FileObjPtr item = m_deleteErrorArr.last();
            platform::log(QStringLiteral("srm could not be started for ") + item->url());
            if (item->failStr() != kFail)
                markFailed(item);
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
    // Non-blocking, so a FIFO without a reader cannot hang the window.
    const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        return ::chmod(native.constData(), S_IRUSR | S_IWUSR) == 0;
    if (fd >= 0)
        ::close(fd);
    return true;
}
