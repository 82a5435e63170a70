#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QEventLoop;

// The application's modal loops: a window runs modally until stopModal() ends the innermost loop.
// Loops nest; the window that opened one stays modal until it ends.
class ApplicationModal
{
public:
    // Shows the window application-modal and returns when stopModal() ends this loop.
    static void runModalForWindow(QWidget *window);
    // Ends the innermost modal loop; nothing happens when none runs.
    static void stopModal();
    static bool isRunningModal();
    static QWidget *modalWindow();

    // Replaces how a loop runs (tests): the runner is called instead of blocking; stopModal()
    // still pops the window.
    using Runner = std::function<void(QWidget *window)>;
    static void setRunnerForTesting(Runner runner);

private:
    struct Session
    {
        QPointer<QWidget> window;
        QEventLoop *loop = nullptr;
    };
    static std::vector<Session> &sessions();
};
