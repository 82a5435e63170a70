#pragma once

#include <cstddef>
#include <cstdint>

namespace srm {

// The ChaCha20 key stream (RFC 8439), four blocks at a time. The tool needs it only as a fast
// source of unpredictable bytes keyed from the kernel, so the four blocks come out word by word
// side by side (word w of block b at byte 16 * w + 4 * b) rather than one after the other: the
// same bytes, in an order that costs no shuffling.
class ChaCha20
{
public:
    static constexpr std::size_t kFourBlocks = 256;

    ChaCha20(const unsigned char key[32], const unsigned char nonce[12], std::uint32_t counter);
    ~ChaCha20();

    // The next four blocks of the stream.
    void nextFourBlocks(unsigned char out[kFourBlocks]);
    // The next eight, as two calls for four would give them (faster where the processor allows).
    void nextEightBlocks(unsigned char out[2 * kFourBlocks]);

private:
    std::uint32_t m_state[16];
};

} // namespace srm
