#include "EraseRun.h"

#include "AnchoredPath.h"
#include "DoDataBase.h"
#include "FileListModel.h"
#include "Panels.h"
#include "RemoveFileAndFolder.h"
#include "ShredProgressWindowController.h"
#include "WorkListBuilder.h"
#include "platform/Log.h"

#include <QLabel>
#include <QThread>
#include <QTimer>

#include <cmath>

EraseRun::EraseRun(FileListModel *list, ShredProgressWindowControllerDelegate *windowDelegate,
                   RemoveFileAndFolderDelegate *workerDelegate, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_windowDelegate(windowDelegate)
    , m_workerDelegate(workerDelegate)
{
}

EraseRun::~EraseRun()
{
    // The worker must not report to an opener that is going away.
    if (m_removeFileAndFolder)
        m_removeFileAndFolder->setDelegate(static_cast<RemoveFileAndFolderDelegate *>(nullptr));
    if (m_expansion) {
        m_expansion->disconnect(this);
        m_expansion->wait();
        delete m_expansion;
    }
}

void EraseRun::openProgressWindow()
{
    m_deleteErrorArr.clear();
    m_isCancel = false;
    // The previous run's window may still be winding down; it goes once its loop has ended.
    if (m_shredProgessWC)
        m_shredProgessWC.release()->deleteLater();
    m_shredProgessWC = std::make_unique<ShredProgressWindowController>();
    m_shredProgessWC->setDelegate(m_windowDelegate);
    m_shredProgessWC->runModal();
}

void EraseRun::start()
{
    m_isFailedEraser = false;
    if (m_removeFileAndFolder) {
        m_removeFileAndFolder->setDelegate(static_cast<RemoveFileAndFolderDelegate *>(nullptr));
        m_removeFileAndFolder.release()->deleteLater();
    }
    if (m_expansion)
        return; // the previous press is still listing what it will erase
    // Listing a large tree takes a while: it runs on its own thread while the progress window
    // stays responsive, and the erasing starts here once the list is complete.
    const FileObjList chosen = m_list->selectedItems();
    auto workList = std::make_shared<FileObjList>();
    m_expansion = QThread::create([chosen, workList] { *workList = WorkListBuilder().build(chosen); });
    connect(m_expansion, &QThread::finished, this, [this, workList] {
        m_expansion->deleteLater();
        m_expansion = nullptr;
        startWorker(m_isCancel ? FileObjList() : *workList);
    });
    m_expansion->start();
}

void EraseRun::startWorker(const FileObjList &workList)
{
    m_removeFileAndFolder = std::make_unique<RemoveFileAndFolder>();
    m_removeFileAndFolder->setDelegate(m_workerDelegate);
    m_removeFileAndFolder->benginToTraskWithArr(workList);
}

void EraseRun::cancel()
{
    m_isCancel = true;
    if (m_removeFileAndFolder)
        m_removeFileAndFolder->isCancel();
}

void EraseRun::reportProgress(float percent, const QString &path)
{
    // Small files go by thousands a second: the label takes the newest path when the screen can
    // show it, rather than being elided and drawn for every file.
    {
        const std::lock_guard<std::mutex> lock(m_progressMutex);
        m_reportedPercent = int(std::trunc(percent));
        m_reportedPath = path;
        if (m_progressPosted)
            return;
        m_progressPosted = true;
    }
    QMetaObject::invokeMethod(this, [this] { showReportedProgress(); }, Qt::QueuedConnection);
}

void EraseRun::showReportedProgress()
{
    constexpr qint64 kFrameMs = 16;
    if (m_progressShown.isValid() && m_progressShown.elapsed() < kFrameMs) {
        QTimer::singleShot(kFrameMs - m_progressShown.elapsed(), this, [this] { showReportedProgress(); });
        return;
    }
    int percent = 0;
    QString path;
    {
        const std::lock_guard<std::mutex> lock(m_progressMutex);
        percent = m_reportedPercent;
        path = m_reportedPath;
        m_progressPosted = false;
    }
    m_progressShown.start();
    if (m_shredProgessWC)
        m_shredProgessWC->changeProgressValue(percent, path);
}

FileObjList EraseRun::markResults()
{
    platform::log(QStringLiteral("---------0------------"));
    // The marks come from what is left on disk, so they are taken first: an item the tool left
    // behind must not end on the success pane even when the tool reported nothing.
    FileObjList remaining;
    m_marked.clear();
    bool anyLeft = false;
    for (const FileObjPtr &item : m_list->items()) {
        if (!item->isSelect()) {
            remaining.append(item);
            continue;
        }
        // Judged as the worker judges its own removals: a path that cannot be walked without
        // following a link, or cannot even be named, is not known to be gone.
        const bool stillThere = !AnchoredPath::isGone(item->url());
        item->setFailStr(stillThere ? QStringLiteral("Failed") : QStringLiteral("Erased"));
        anyLeft = anyLeft || stillThere;
        m_marked.append(item);
    }
    if (m_shredProgessWC) {
        if (m_isFailedEraser || m_isCancel || anyLeft) {
            if (m_isCancel)
                m_shredProgessWC->failedNodeLable()->setText(tr("The operation was canceled by the user."));
            m_shredProgessWC->showFailView();
        } else {
            platform::log(QStringLiteral("---------1------------"));
            m_shredProgessWC->showSeccView();
        }
    }
    platform::log(QStringLiteral("---------2------------"));
    return remaining;
}

void EraseRun::record(QWidget *noticeParent)
{
    m_deleteErrorArr.append(m_marked);
    m_marked.clear();
    QStringList results;
    for (const FileObjPtr &item : m_deleteErrorArr)
        results.append(item->url() + QStringLiteral(" = ") + item->failStr());
    platform::log(QStringLiteral("----(%1)").arg(results.join(QStringLiteral(", "))));
    if (!DoDataBase::returnDoDataBase()->writePlistForHistoryWithArr(m_deleteErrorArr))
        tellRunNotRecorded(noticeParent);
}

void EraseRun::tellRunNotRecorded(QWidget *parent)
{
    // Otherwise the person would look for the run in the history and believe it is there.
    Panels::shared().runAlert(parent, tr("This run could not be recorded in the history."),
                              tr("The history could not be written; the log says why."),
                              Panels::AlertStyle::Warning);
}
