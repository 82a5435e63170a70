#pragma once

#include <cstddef>
#include <cstdint>

namespace srm {

// Random bytes for the overwrite passes. Files that need little random data get it straight from the
// kernel (getrandom); large ones from a ChaCha20 key stream of the system's crypto library, keyed
// from the kernel, because getrandom alone is slower than a fast disk. Loading the library costs
// more than getrandom needs for several megabytes, so it is loaded only once a file needs more than
// that; without it the kernel serves everything.
class RandomStream
{
public:
    // A file that needs at least this much random data in all uses the key stream.
    static constexpr std::uint64_t kStreamThreshold = 16 * 1024 * 1024;

    RandomStream();
    ~RandomStream();
    RandomStream(const RandomStream &) = delete;
    RandomStream &operator=(const RandomStream &) = delete;

    // Says how much random data the file at hand will ask for, which decides the source.
    void expectVolume(std::uint64_t bytes) { m_streamWanted = bytes >= kStreamThreshold; }
    // Fills the buffer; false only when no source of randomness works.
    bool fill(unsigned char *buffer, std::size_t length);
    // Fills straight from the kernel, whatever the size.
    static bool fillFromKernel(unsigned char *buffer, std::size_t length);

    // Whether the key stream has been started (by the first file that wanted it).
    bool usesKeyStream() const { return m_context != nullptr; }
    // Tests and the benchmark turn the key stream off to compare.
    void setKeyStreamAllowed(bool allowed) { m_keyStreamAllowed = allowed; }

private:
    bool startKeyStream();

    void *m_library = nullptr;
    void *m_context = nullptr;
    bool m_triedKeyStream = false;
    bool m_keyStreamAllowed = true;
    bool m_streamWanted = false;
    unsigned long long m_streamBytes = 0;
    static constexpr unsigned long long kRekeyBytes = 1ull << 36;
    static constexpr std::size_t kPiece = 64 * 1024;
    struct Api;
    Api *m_api = nullptr;
};

} // namespace srm
