#include "DoRemoveObj.h"

#include "ImmutableFlag.h"
#include "ProcessRunner.h"
#include "base/EraseMethods.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <QTimer>

DoRemoveObj::DoRemoveObj(const QStringList &arr, QObject *parent) : QObject(parent), m_allFilesArr(arr)
{
    NotificationCenter::defaultCenter().addObserver(
        this, ProcessRunner::kTaskDidTerminateNotification,
        [this](const Notification &notification) { doneErasing(&notification); });
    m_idx = 0;
    if (m_allFilesArr.isEmpty())
        sendEnd();
    else
        runTaskWithPath();
    m_constructing = false;
}

DoRemoveObj::~DoRemoveObj()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    ProcessRunner::releaseAll(m_retired);
}

DoRemoveObjDelegate *DoRemoveObj::delegate() const
{
    return m_delegate.get();
}

void DoRemoveObj::setDelegate(DoRemoveObjDelegate *delegate)
{
    m_delegate.set(delegate);
}

void DoRemoveObj::setDelegate(const std::shared_ptr<DoRemoveObjDelegate> &delegate)
{
    m_delegate.set(delegate);
}

bool DoRemoveObj::runTaskWithPath()
{
    if (m_idx < 0 || m_idx >= m_allFilesArr.size())
        return false;
    if (m_inRunLoop) {
        m_runPending = true;
        return true;
    }
    QPointer<DoRemoveObj> self(this);
    m_inRunLoop = true;
    do {
        m_runPending = false;
        const QString path = m_allFilesArr.at(m_idx);
        if (!m_pEraser)
            m_pEraser = ProcessRunner::create();
        m_filePathStr = path;
        if (ImmutableFlag::isSet(path))
            ImmutableFlag::clear(path);
        const QString program = Bundle::mainBundle().pathForResource(QStringLiteral("srm"), QString());
        if (!m_pEraser->launch(program, {QString::fromLatin1(base::eraseMethodForPassCount(1).toolFlags), path})) {
            // No child will end for this path: go on at once.
            platform::log(QStringLiteral("srm could not be started for ") + path);
            doneErasing(nullptr);
            if (!self)
                return true;
        }
    } while (m_runPending);
    m_inRunLoop = false;
    return true;
}

void DoRemoveObj::doneErasing(const Notification *notification)
{
    if (notification && (!m_pEraser || notification->object != m_pEraser.get()))
        return;
    ++m_idx;
    if (m_pEraser)
        ProcessRunner::retire(m_retired, std::move(m_pEraser));
    if (m_idx < m_allFilesArr.size())
        runTaskWithPath();
    else
        sendEnd();
}

void DoRemoveObj::sendEnd()
{
    if (m_constructing) {
        // Nobody could have set a delegate yet: end from the event loop instead.
        QTimer::singleShot(0, this, [this] {
            if (auto *d = delegate())
                d->removeObjEnd();
        });
        return;
    }
    if (auto *d = delegate())
        d->removeObjEnd();
}
