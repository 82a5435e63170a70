#include "RandomProducer.h"

namespace srm {

RandomProducer::RandomProducer()
{
    // Whoever needs a producer needs much random data: the key stream, not the kernel, serves it.
    m_stream.expectVolume(RandomStream::kStreamThreshold);
}

RandomProducer::~RandomProducer()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_freed.notify_one();
    m_thread.join();
}

const unsigned char *RandomProducer::acquire()
{
    if (!m_thread.joinable()) {
        m_ring = std::make_unique_for_overwrite<unsigned char[]>(kBlockSize * kBlocks);
        m_thread = std::thread([this] { run(); });
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_filled.wait(lock, [this] { return m_produced > m_consumed || m_broken; });
    if (m_produced == m_consumed)
        return nullptr;
    return m_ring.get() + (m_consumed % kBlocks) * kBlockSize;
}

void RandomProducer::release()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_consumed;
    }
    m_freed.notify_one();
}

void RandomProducer::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_freed.wait(lock, [this] { return m_stopping || m_produced - m_consumed < kBlocks; });
        if (m_stopping)
            return;
        // The block past the last one made is free and not yet visible to the writer: it is filled
        // without the lock.
        unsigned char *block = m_ring.get() + (m_produced % kBlocks) * kBlockSize;
        lock.unlock();
        const bool filled = m_stream.fill(block, kBlockSize);
        lock.lock();
        if (filled)
            ++m_produced;
        else
            m_broken = true;
        m_filled.notify_one();
        if (m_broken)
            return;
    }
}

} // namespace srm
