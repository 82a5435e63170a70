#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QEventLoop;

// The application's modal loops: a window runs modally until stopModal() ends the innermost loop,
// or until the window itself goes away by whatever road (closed or hidden: as soon as events are
// next handled; destroyed: at once): a loop never outlives the window that would end it. Loops nest; the
// window that opened one stays modal until it ends. A window run modally becomes a dialog of the window that
// was active, so the desktop keeps it above that window; while its loop runs it cannot stay minimised.
class ApplicationModal
{
public:
    // Shows the window application-modal and returns when its loop ends.
    static void runModalForWindow(QWidget *window);
    // Ends the innermost modal loop; nothing happens when none runs.
    static void stopModal();
    static bool isRunningModal();
    static QWidget *modalWindow();

    // Replaces how a loop runs (tests): the runner is called instead of blocking; stopModal()
    // and the window going away still end the session.
    using Runner = std::function<void(QWidget *window)>;
    static void setRunnerForTesting(Runner runner);

private:
    struct Session
    {
        QPointer<QWidget> window;
        QEventLoop *loop = nullptr;
        // Watches the window for the session; its identity names the session.
        QPointer<QObject> watcher;
    };
    static std::vector<Session> &sessions();
    static void endSession(const QObject *watcher);
    static void finish(Session session);
    static void becomeDialog(QWidget *window);

    friend class ModalWindowWatcher;
};
