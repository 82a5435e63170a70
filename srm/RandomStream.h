#pragma once

#include <cstddef>

namespace srm {

// Random bytes for the overwrite passes. Small requests come straight from the kernel (getrandom);
// large ones from a ChaCha20 key stream of the system's crypto library, keyed from the kernel,
// because getrandom alone is slower than a fast disk. The library is loaded only when first needed,
// so erasing a small file costs no start-up time; without it the kernel serves everything.
class RandomStream
{
public:
    // Requests at least this large use the key stream.
    static constexpr std::size_t kStreamThreshold = 256 * 1024;

    RandomStream();
    ~RandomStream();
    RandomStream(const RandomStream &) = delete;
    RandomStream &operator=(const RandomStream &) = delete;

    // Fills the buffer; false only when no source of randomness works.
    bool fill(unsigned char *buffer, std::size_t length);
    // Fills straight from the kernel, whatever the size.
    static bool fillFromKernel(unsigned char *buffer, std::size_t length);

    // Whether large requests are served by the key stream (after the first large request).
    bool usesKeyStream() const { return m_context != nullptr; }
    // Tests and the benchmark turn the key stream off to compare.
    void setKeyStreamAllowed(bool allowed) { m_keyStreamAllowed = allowed; }

private:
    bool startKeyStream();

    void *m_library = nullptr;
    void *m_context = nullptr;
    bool m_triedKeyStream = false;
    bool m_keyStreamAllowed = true;
    unsigned long long m_streamBytes = 0;
    static constexpr unsigned long long kRekeyBytes = 1ull << 36;
    static constexpr std::size_t kPiece = 64 * 1024;
    struct Api;
    Api *m_api = nullptr;
};

} // namespace srm
