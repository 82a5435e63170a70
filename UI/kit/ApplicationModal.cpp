#include "ApplicationModal.h"

#include <QEventLoop>

namespace {

ApplicationModal::Runner &runner()
{
    static ApplicationModal::Runner value;
    return value;
}

} // namespace

std::vector<ApplicationModal::Session> &ApplicationModal::sessions()
{
    static std::vector<Session> stack;
    return stack;
}

void ApplicationModal::runModalForWindow(QWidget *window)
{
    if (!window)
        return;
    const Qt::WindowModality previous = window->windowModality();
    if (!window->isVisible())
        window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();

    if (runner()) {
        sessions().push_back(Session{window, nullptr});
        runner()(window);
        return;
    }

    QEventLoop loop;
    sessions().push_back(Session{window, &loop});
    loop.exec(QEventLoop::DialogExec);
    if (window)
        window->setWindowModality(previous);
}

void ApplicationModal::stopModal()
{
    if (sessions().empty())
        return;
    Session session = sessions().back();
    sessions().pop_back();
    if (session.loop)
        session.loop->quit();
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
