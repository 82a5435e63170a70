#include "PassWriter.h"

#include "base/ErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace srm {

namespace {

// A multiple of 3 (for the three-byte patterns) and of the page size, and one block of the random
// producer. Larger writes gain nothing once the pass is synced as a whole, and cost memory.
constexpr std::size_t kBufferSize = RandomProducer::kBlockSize;
static_assert(kBufferSize % 3 == 0 && kBufferSize % 4096 == 0);
// Room to start a three-byte pattern at any phase.
constexpr std::size_t kPatternSlack = 2;

std::vector<PassWriter::Extent> merged(std::vector<PassWriter::Extent> extents)
{
    std::sort(extents.begin(), extents.end(),
              [](const PassWriter::Extent &a, const PassWriter::Extent &b) { return a.start < b.start; });
    std::vector<PassWriter::Extent> result;
    for (const PassWriter::Extent &extent : extents) {
        if (!result.empty() && extent.start <= result.back().end)
            result.back().end = std::max(result.back().end, extent.end);
        else
            result.push_back(extent);
    }
    return result;
}

// The data extents of a file of size bytes, in order.
bool dataExtents(int fd, std::uint64_t size, std::vector<PassWriter::Extent> &extents)
{
    std::uint64_t position = 0;
    while (position < size) {
        const off_t data = ::lseek(fd, off_t(position), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break; // nothing but a hole up to the end
            if (errno != EINVAL)
                return false;
            extents.push_back({position, size}); // no hole support: everything counts as data
            break;
        }
        if (std::uint64_t(data) >= size)
            break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole < 0)
            return false;
        const std::uint64_t end = std::min(std::uint64_t(hole), size);
        extents.push_back({std::uint64_t(data), end});
        position = end;
    }
    return true;
}

} // namespace

PassWriter::PassWriter(std::vector<Pass> passes, std::FILE *progress)
    : m_passes(std::move(passes)), m_progress(progress)
{
}

bool PassWriter::failed(const std::string &what, int error)
{
    m_reason = what + ": " + base::errorText(error);
    return false;
}

std::vector<PassWriter::Extent> PassWriter::subtract(const std::vector<Extent> &a,
                                                     const std::vector<Extent> &b)
{
    std::vector<Extent> result;
    std::size_t j = 0;
    for (const Extent &extent : a) {
        std::uint64_t start = extent.start;
        while (j < b.size() && b[j].end <= start)
            ++j;
        for (std::size_t k = j; k < b.size() && b[k].start < extent.end && start < extent.end; ++k) {
            if (b[k].start > start)
                result.push_back({start, b[k].start});
            start = std::max(start, b[k].end);
        }
        if (start < extent.end)
            result.push_back({start, extent.end});
    }
    return result;
}

bool PassWriter::overwrite(int fd, const std::string &label, std::int64_t size)
{
    std::vector<Extent> written;
    m_wroteData = false;
    for (int round = 0; round <= kMaxExtraRounds + 1; ++round) {
        if (round > 0 || size < 0) {
            struct stat info
            {
            };
            if (::fstat(fd, &info) != 0)
                return failed("cannot examine", errno);
            size = info.st_size;
        }
        // Once what was written reaches the end of the file, no data can be left unwritten, wherever
        // its extents lie now: the common case of a file without holes needs no look at them.
        if (size == 0 ||
            (!written.empty() && written.front().start == 0 && written.front().end >= std::uint64_t(size)))
            return true;
        std::vector<Extent> present;
        if (!dataExtents(fd, std::uint64_t(size), present))
            return failed("cannot find its data", errno);
        const std::vector<Extent> unwritten = subtract(present, written);
        if (unwritten.empty())
            return true;
        if (round > kMaxExtraRounds)
            break;
        if (!overwriteExtents(fd, unwritten, label))
            return false;
        m_wroteData = true;
        written.insert(written.end(), unwritten.begin(), unwritten.end());
        written = merged(std::move(written));
    }
    m_reason = "kept receiving new data while being overwritten; left in place";
    return false;
}

bool PassWriter::overwriteExtents(int fd, const std::vector<Extent> &extents, const std::string &label)
{
    std::vector<Chunk> chunks;
    std::uint64_t total = 0;
    for (const Extent &extent : extents) {
        for (std::uint64_t offset = extent.start; offset < extent.end;) {
            const std::size_t length = std::size_t(std::min<std::uint64_t>(extent.end - offset, kBufferSize));
            chunks.push_back({offset, length});
            offset += length;
        }
        total += extent.end - extent.start;
    }
    if (chunks.empty())
        return true;
    const auto randomPasses =
        std::count_if(m_passes.begin(), m_passes.end(), [](const Pass &p) { return p.random; });
    // Little random data comes from the kernel on this thread; much of it from the producer, which
    // makes it while the writes go on.
    m_useProducer = total * std::uint64_t(randomPasses) >= RandomStream::kStreamThreshold;
    m_startWriteback = chunks.size() > 1;
    // Not zeroed: a small file touches only the first pages of it.
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize + kPatternSlack);

    const std::size_t count = m_passes.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Pass &pass = m_passes[i];
        if (m_progress) {
            std::fprintf(m_progress, "srm: %s: pass %zu/%zu (%s)\n", label.c_str(), i + 1, count,
                         pass.describe().c_str());
            std::fflush(m_progress);
        }
        if (!(pass.random ? writeRandomPass(fd, chunks) : writePatternPass(fd, chunks, pass)))
            return failed("overwrite failed", errno);
        // A pass that only reached the page cache erases nothing.
        if (::fdatasync(fd) != 0)
            return failed("cannot force the pass to the disk", errno);
        if (m_passHook)
            m_passHook(i);
    }
    return true;
}

bool PassWriter::writeChunk(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t written = ::pwrite(fd, data + done, length - done, off_t(offset + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        done += std::size_t(written);
    }
    // The disk starts on each chunk of a large file while the next one is made, rather than on
    // the whole pass at its sync; the sync still decides whether the pass reached the disk.
    if (m_startWriteback)
        ::sync_file_range(fd, off_t(offset), off_t(length), SYNC_FILE_RANGE_WRITE);
    return true;
}

bool PassWriter::writePatternPass(int fd, const std::vector<Chunk> &chunks, const Pass &pass)
{
    unsigned char *buffer = m_buffer.get();
    std::size_t longest = 0;
    for (const Chunk &chunk : chunks)
        longest = std::max(longest, chunk.length);
    const std::size_t filled = longest + kPatternSlack;
    // Doubled by copies rather than byte by byte: a byte loop with a division per byte cost more
    // than all the calls of a small file's erase. The copied length stays a multiple of the
    // pattern's until the last copy, so every byte keeps its phase.
    std::memcpy(buffer, pass.pattern, pass.patternLength);
    for (std::size_t have = pass.patternLength; have < filled;) {
        const std::size_t piece = std::min(have, filled - have);
        std::memcpy(buffer + have, buffer, piece);
        have += piece;
    }
    // The pattern keeps its phase with the file offset, whichever extent a chunk belongs to.
    for (const Chunk &chunk : chunks) {
        const std::size_t phase = std::size_t(chunk.offset % pass.patternLength);
        if (!writeChunk(fd, buffer + phase, chunk.length, chunk.offset))
            return false;
    }
    return true;
}

bool PassWriter::writeRandomPass(int fd, const std::vector<Chunk> &chunks)
{
    for (const Chunk &chunk : chunks) {
        if (!m_useProducer) {
            if (!RandomStream::fillFromKernel(m_buffer.get(), chunk.length)) {
                errno = EIO;
                return false;
            }
            if (!writeChunk(fd, m_buffer.get(), chunk.length, chunk.offset))
                return false;
            continue;
        }
        const unsigned char *block = m_producer.acquire();
        if (!block) {
            errno = EIO;
            return false;
        }
        const bool written = writeChunk(fd, block, chunk.length, chunk.offset);
        const int writeError = errno;
        m_producer.release();
        if (!written) {
            errno = writeError;
            return false;
        }
    }
    return true;
}

} // namespace srm
