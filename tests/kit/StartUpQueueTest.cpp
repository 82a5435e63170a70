#include "StartUpQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// The start's side work runs on one thread, in the order handed over, and a piece handed over
// after the thread ended gets a new one: nothing waits forever for a thread that is gone.
TEST(StartUpQueue, PiecesRunInTurnOnOneThreadAndALaterPieceStillRuns)
{
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::future<int>> results;
    for (int piece = 0; piece < 4; ++piece) {
        results.push_back(StartUpQueue::submit([&, piece] {
            if (piece == 0)
                released.wait(); // the rest queue up behind it
            order.push_back(piece);
            threads.push_back(std::this_thread::get_id());
            return piece * 10;
        }));
    }
    release.set_value();
    for (int piece = 0; piece < 4; ++piece)
        EXPECT_EQ(results[size_t(piece)].get(), piece * 10);
    StartUpQueue::drain();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
    for (const std::thread::id &id : threads)
        EXPECT_EQ(id, threads.front());
    EXPECT_NE(threads.front(), std::this_thread::get_id());

    // The thread has ended; the next piece starts another, and a failing piece reports its fault
    // to whoever waits for it instead of taking the queue down.
    std::future<void> failing = StartUpQueue::submit([] { throw std::runtime_error("no answer"); });
    std::future<std::string> after = StartUpQueue::submit([] { return std::string("ran"); });
    EXPECT_THROW(failing.get(), std::runtime_error);
    ASSERT_EQ(after.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(after.get(), "ran");
}
