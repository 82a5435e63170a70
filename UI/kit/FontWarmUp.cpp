#include "FontWarmUp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>

#include <dlfcn.h>

#include <chrono>
#include <future>
#include <system_error>
#include <utility>

namespace {

std::future<void> &pending()
{
    static std::future<void> load;
    return load;
}

std::function<void()> &workOverride()
{
    static std::function<void()> work;
    return work;
}

// Waits for the load at the first exposure of any window, the moment Qt first draws text, then
// steps aside.
class FirstExposure : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Expose) {
            QCoreApplication::instance()->removeEventFilter(this);
            FontWarmUp::finish();
            deleteLater();
        }
        return false;
    }
};

} // namespace

void FontWarmUp::begin()
{
    if (pending().valid()) {
        if (pending().wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        pending().get();
    }
    std::function<void()> work = workOverride();
    if (!work) {
        // Found among what Qt's GUI library has loaded rather than linked: a library named by the
        // program itself would come earlier in every symbol look-up of the start. A Qt that draws
        // without fontconfig leaves nothing to do.
        using Init = int (*)();
        const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
        if (!init)
            return;
        work = [init] { init(); };
    }
    try {
        pending() = std::async(std::launch::async, std::move(work));
    } catch (const std::system_error &) {
        // No thread to be had: Qt loads the configuration itself when it first needs it, as it
        // would without this.
        return;
    }
    static QPointer<FirstExposure> waiting;
    QCoreApplication *application = QCoreApplication::instance();
    if (application && !waiting) {
        // The application's child, so that it goes with it should no window ever be exposed.
        waiting = new FirstExposure;
        waiting->setParent(application);
        application->installEventFilter(waiting);
    }
}

void FontWarmUp::finish()
{
    if (pending().valid())
        pending().get();
}

void FontWarmUp::setWorkOverride(std::function<void()> work)
{
    workOverride() = std::move(work);
}
