#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

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

} // namespace

void FontWarmUp::begin()
{
    if (pending().valid())
        return;
    std::function<void()> work = workOverride();
    if (!work)
        work = [] { FcInit(); };
    try {
        pending() = std::async(std::launch::async, std::move(work));
    } catch (const std::system_error &) {
        // No thread to be had: Qt loads the configuration itself when it first needs it, as it
        // would without this.
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
