#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace srm {

class ChaCha20;

// Random bytes for the overwrite passes. Files that need little random data get it straight from the
// kernel (getrandom); large ones from a ChaCha20 key stream keyed from the kernel, because getrandom
// alone is slower than a fast disk. The key stream is the tool's own: loading a crypto library for
// it cost more memory than the whole tool needs otherwise.
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
    // A name of letters and digits, from the kernel (all 'x' should it fail).
    static std::string randomName(std::size_t length);

    // Whether the key stream has been started (by the first file that wanted it).
    bool usesKeyStream() const { return m_cipher != nullptr; }
    // Tests and the benchmark turn the key stream off to compare.
    void setKeyStreamAllowed(bool allowed) { m_keyStreamAllowed = allowed; }

private:
    bool startKeyStream();

    std::unique_ptr<ChaCha20> m_cipher;
    bool m_keyStreamAllowed = true;
    bool m_streamWanted = false;
    unsigned long long m_streamBytes = 0;
    static constexpr unsigned long long kRekeyBytes = 1ull << 36;
};

} // namespace srm
