#pragma once

#include <functional>
#include <future>
#include <memory>
#include <type_traits>
#include <utility>

// One thread for the start's side work (the compositor's answer, the first picture's images, the
// application icon), run in the order it was handed over. Starting a thread costs the main
// thread 0.3 to 0.5 ms here, and each thread alive while the main thread maps memory makes that
// dearer, so the start pays for one instead of one per piece. The thread ends once the queue is
// empty; the next piece starts another.
class StartUpQueue
{
public:
    // Queues the work and gives its result's future. Throws std::system_error when no thread can
    // be had; the work is then dropped, and the caller does it itself as it would without this.
    template <typename Work> static std::future<std::invoke_result_t<Work>> submit(Work work)
    {
        using Result = std::invoke_result_t<Work>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
        std::future<Result> result = task->get_future();
        enqueue([task] { (*task)(); });
        return result;
    }

    // Waits until everything handed over so far has run (tests; before the application goes).
    static void drain();

private:
    static void enqueue(std::function<void()> job);
};
