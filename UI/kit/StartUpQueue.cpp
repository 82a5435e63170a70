#include "StartUpQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

struct Queue
{
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    std::thread worker;
    bool running = false;

    // A worker still running at exit has only pieces nobody waits for; it is not left behind
    // to run into the statics going away.
    ~Queue()
    {
        if (worker.joinable())
            worker.join();
    }
};

Queue &queue()
{
    static Queue instance;
    return instance;
}

void work()
{
    Queue &q = queue();
    std::unique_lock lock(q.mutex);
    while (!q.jobs.empty()) {
        std::function<void()> job = std::move(q.jobs.front());
        q.jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
    q.running = false;
    q.idle.notify_all();
}

} // namespace

void StartUpQueue::enqueue(std::function<void()> job)
{
    Queue &q = queue();
    std::lock_guard lock(q.mutex);
    q.jobs.push_back(std::move(job));
    if (q.running)
        return;
    // The last worker set itself idle under this lock and touches nothing after: joining it
    // here cannot wait for long.
    if (q.worker.joinable())
        q.worker.join();
    try {
        q.worker = std::thread(work);
    } catch (...) {
        q.jobs.pop_back();
        throw;
    }
    q.running = true;
}

void StartUpQueue::drain()
{
    Queue &q = queue();
    std::unique_lock lock(q.mutex);
    q.idle.wait(lock, [&q] { return !q.running; });
}
