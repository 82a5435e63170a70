#include "ApplicationModal.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWindow>

namespace {

ApplicationModal::Runner &runner()
{
    static ApplicationModal::Runner value;
    return value;
}

} // namespace

// Ends its session when the window leaves the screen for good, and brings the window back when
// the desktop minimises it while the loop still waits for it.
class ModalWindowWatcher : public QObject
{
public:
    // Not the window's child: it must still be there to end the session when the window dies.
    explicit ModalWindowWatcher(QWidget *window) : m_window(window)
    {
        window->installEventFilter(this);
        // Destroyed while its loop runs, the window ends it at once.
        connect(window, &QObject::destroyed, this, [this] {
            if (!m_detached)
                ApplicationModal::endSession(this);
        });
    }

    void detach()
    {
        if (m_window)
            m_window->removeEventFilter(this);
        m_detached = true;
        deleteLater();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_detached || watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Hide:
            // A spontaneous hide is the desktop unmapping a minimised window: it comes back below.
            // Otherwise the window was closed or hidden. Its owner may end the loop itself right
            // after closing it, so the session ends once that has had its turn, if it still runs.
            if (!event->spontaneous())
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (!m_detached)
                            ApplicationModal::endSession(this);
                    },
                    Qt::QueuedConnection);
            break;
        case QEvent::WindowStateChange:
            if (m_window->windowState().testFlag(Qt::WindowMinimized))
                QMetaObject::invokeMethod(
                    this, [this] { restore(); }, Qt::QueuedConnection);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void restore()
    {
        if (m_detached || !m_window || !m_window->windowState().testFlag(Qt::WindowMinimized))
            return;
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }

    QPointer<QWidget> m_window;
    bool m_detached = false;
};

std::vector<ApplicationModal::Session> &ApplicationModal::sessions()
{
    static std::vector<Session> stack;
    return stack;
}

void ApplicationModal::becomeDialog(QWidget *window)
{
    if (!window->isWindow())
        return;
    QWidget *owner = QApplication::activeWindow();
    if ((!owner || owner == window) && !sessions().empty())
        owner = sessions().back().window;
    if (window->windowType() == Qt::Window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    if (owner && owner != window && owner->window() != window) {
        window->winId();
        owner->window()->winId();
        if (QWindow *handle = window->windowHandle())
            handle->setTransientParent(owner->window()->windowHandle());
    }
}

void ApplicationModal::runModalForWindow(QWidget *window)
{
    if (!window)
        return;
    const Qt::WindowModality previous = window->windowModality();
    if (!window->isVisible()) {
        becomeDialog(window);
        window->setWindowModality(Qt::ApplicationModal);
    }
    window->show();
    window->raise();
    window->activateWindow();

    auto *watcher = new ModalWindowWatcher(window);
    const QPointer<QObject> guard(watcher);

    if (runner()) {
        sessions().push_back(Session{window, nullptr, watcher});
        runner()(window);
        return;
    }

    // The window may be destroyed while the loop runs: only a guarded pointer may touch it after.
    const QPointer<QWidget> shown(window);
    QEventLoop loop;
    sessions().push_back(Session{window, &loop, watcher});
    loop.exec(QEventLoop::DialogExec);
    // Ended some other way (the application quitting ends every loop): the session must not
    // outlive its loop.
    endSession(guard);
    if (shown)
        shown->setWindowModality(previous);
}

void ApplicationModal::finish(Session session)
{
    if (auto *watcher = static_cast<ModalWindowWatcher *>(session.watcher.data()))
        watcher->detach();
    if (session.loop)
        session.loop->quit();
}

void ApplicationModal::endSession(const QObject *watcher)
{
    auto &stack = sessions();
    for (auto it = stack.begin(); it != stack.end(); ++it) {
        if (it->watcher == watcher) {
            Session session = *it;
            stack.erase(it);
            finish(session);
            return;
        }
    }
}

void ApplicationModal::stopModal()
{
    if (sessions().empty())
        return;
    Session session = sessions().back();
    sessions().pop_back();
    finish(session);
}

bool ApplicationModal::isRunningModal()
{
    return !sessions().empty();
}

QWidget *ApplicationModal::modalWindow()
{
    return sessions().empty() ? nullptr : sessions().back().window.data();
}

void ApplicationModal::setRunnerForTesting(Runner value)
{
    runner() = std::move(value);
}
