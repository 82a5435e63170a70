#pragma once

#include "PassPatterns.h"
#include "RandomProducer.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace srm {

// Overwrites what an open file holds with the passes of a method, every pass forced to the disk.
// Only the data extents are written: a hole holds nothing and stays a hole, so a sparse file of a
// terabyte cannot fill the disk. Data that appears while the passes run (the file grew, a hole was
// filled) is overwritten in further rounds; a file that never settles is reported, not passed.
class PassWriter
{
public:
    struct Extent
    {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        bool operator==(const Extent &) const = default;
    };

    // Rounds after the first before a file that keeps changing is given up.
    static constexpr int kMaxExtraRounds = 8;

    explicit PassWriter(std::vector<Pass> passes, std::FILE *progress = nullptr);

    // Every data extent of the file with every pass, until no unwritten data is left; false with
    // reason() set. size is the file's size when the caller has just examined it through fd (which
    // saves looking again), or -1.
    bool overwrite(int fd, const std::string &label, std::int64_t size = -1);
    // Whether the last overwrite() found any data to write: an empty or all-hole file has none.
    bool wroteData() const { return m_wroteData; }
    // What of the sorted extents a is not covered by the sorted extents b.
    static std::vector<Extent> subtract(const std::vector<Extent> &a, const std::vector<Extent> &b);

    const std::string &reason() const { return m_reason; }
    void setPasses(std::vector<Pass> passes) { m_passes = std::move(passes); }
    // Called after each pass has reached the disk (tests change the file there).
    void setPassHook(std::function<void(std::size_t)> hook) { m_passHook = std::move(hook); }

private:
    struct Chunk
    {
        std::uint64_t offset = 0;
        std::size_t length = 0;
    };

    bool overwriteExtents(int fd, const std::vector<Extent> &extents, const std::string &label);
    bool writePatternPass(int fd, const std::vector<Chunk> &chunks, const Pass &pass);
    bool writeRandomPass(int fd, const std::vector<Chunk> &chunks);
    bool writeChunk(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset);
    bool failed(const std::string &what, int error);

    std::vector<Pass> m_passes;
    std::FILE *m_progress;
    RandomProducer m_producer;
    bool m_useProducer = false; // the file at hand needs much random data
    bool m_startWriteback = false; // the file at hand takes more than one chunk
    bool m_wroteData = false;
    std::unique_ptr<unsigned char[]> m_buffer;
    std::function<void(std::size_t)> m_passHook;
    std::string m_reason;
};

} // namespace srm
