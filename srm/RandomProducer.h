#pragma once

#include "RandomStream.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace srm {

// Random data for large files, made ahead on one thread that lives as long as the tool: a ring of
// a few blocks that this thread keeps full while the writer empties it. Starting a thread per
// block made every hand-off wait for the scheduler, which on a machine busy with other work cost
// more than the writing itself; a thread that keeps running only waits when the ring is full.
class RandomProducer
{
public:
    static constexpr std::size_t kBlockSize = 192 * 1024;
    static constexpr std::size_t kBlocks = 4;

    RandomProducer();
    ~RandomProducer();
    RandomProducer(const RandomProducer &) = delete;
    RandomProducer &operator=(const RandomProducer &) = delete;

    // The next block of kBlockSize random bytes, the writer's until release(); null when no source
    // of randomness works. The first call starts the thread.
    const unsigned char *acquire();
    void release();

private:
    void run();

    RandomStream m_stream;
    std::unique_ptr<unsigned char[]> m_ring;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_freed;
    std::uint64_t m_produced = 0; // blocks made so far
    std::uint64_t m_consumed = 0; // blocks given back by the writer
    bool m_stopping = false;
    bool m_broken = false;
};

} // namespace srm
