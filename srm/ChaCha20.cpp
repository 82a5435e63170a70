#include "ChaCha20.h"

#include <cstring>

namespace srm {

namespace {

// One 32-bit word of four (or eight) blocks: the compiler turns these into vector instructions.
using Lanes = std::uint32_t __attribute__((vector_size(16)));

template <typename V> [[gnu::always_inline]] inline void rotate(V &x, int bits)
{
    x = (x << bits) | (x >> (32 - bits));
}

template <typename V> [[gnu::always_inline]] inline void quarterRound(V &a, V &b, V &c, V &d)
{
    a += b;
    d ^= a;
    rotate(d, 16);
    c += d;
    b ^= c;
    rotate(b, 12);
    a += b;
    d ^= a;
    rotate(d, 8);
    c += d;
    b ^= c;
    rotate(b, 7);
}

template <typename V> [[gnu::always_inline]] inline void doubleRounds(V (&x)[16])
{
    for (int round = 0; round < 10; ++round) {
        quarterRound(x[0], x[4], x[8], x[12]);
        quarterRound(x[1], x[5], x[9], x[13]);
        quarterRound(x[2], x[6], x[10], x[14]);
        quarterRound(x[3], x[7], x[11], x[15]);
        quarterRound(x[0], x[5], x[10], x[15]);
        quarterRound(x[1], x[6], x[11], x[12]);
        quarterRound(x[2], x[7], x[8], x[13]);
        quarterRound(x[3], x[4], x[9], x[14]);
    }
}

#if defined(__x86_64__)
// Eight blocks in the lanes of 256-bit registers, written as two runs of four side by side: the
// same bytes as two calls for four. Twice the work per instruction where the processor has them,
// which halves what the random passes take from a machine busy with other work.
using WideLanes = std::uint32_t __attribute__((vector_size(32)));

[[gnu::target("avx2")]] void eightBlocksWide(std::uint32_t (&state)[16], unsigned char *out)
{
    WideLanes input[16];
    for (int i = 0; i < 16; ++i)
        input[i] = WideLanes{state[i], state[i], state[i], state[i], state[i], state[i], state[i], state[i]};
    input[12] += WideLanes{0, 1, 2, 3, 4, 5, 6, 7};
    WideLanes x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = input[i];
    doubleRounds(x);
    for (int i = 0; i < 16; ++i) {
        const WideLanes word = x[i] + input[i];
        std::memcpy(out + 16 * i, &word, 16);
        std::memcpy(out + ChaCha20::kFourBlocks + 16 * i, reinterpret_cast<const unsigned char *>(&word) + 16, 16);
    }
    state[12] += 8;
}
#endif

std::uint32_t littleEndian(const unsigned char *bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

} // namespace

ChaCha20::ChaCha20(const unsigned char key[32], const unsigned char nonce[12], std::uint32_t counter)
{
    m_state[0] = 0x61707865;
    m_state[1] = 0x3320646e;
    m_state[2] = 0x79622d32;
    m_state[3] = 0x6b206574;
    for (int i = 0; i < 8; ++i)
        m_state[4 + i] = littleEndian(key + 4 * i);
    m_state[12] = counter;
    for (int i = 0; i < 3; ++i)
        m_state[13 + i] = littleEndian(nonce + 4 * i);
}

ChaCha20::~ChaCha20()
{
    // The key is not left in freed memory.
    volatile std::uint32_t *state = m_state;
    for (int i = 0; i < 16; ++i)
        state[i] = 0;
}

void ChaCha20::nextFourBlocks(unsigned char out[kFourBlocks])
{
    Lanes input[16];
    for (int i = 0; i < 16; ++i)
        input[i] = Lanes{m_state[i], m_state[i], m_state[i], m_state[i]};
    input[12] += Lanes{0, 1, 2, 3};
    Lanes x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = input[i];
    doubleRounds(x);
    for (int i = 0; i < 16; ++i) {
        const Lanes word = x[i] + input[i];
        // Little-endian hosts only (the tool is built for x86-64 and arm64 Linux).
        std::memcpy(out + 16 * i, &word, sizeof word);
    }
    m_state[12] += 4;
}

void ChaCha20::nextEightBlocks(unsigned char out[2 * kFourBlocks])
{
#if defined(__x86_64__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) {
        eightBlocksWide(m_state, out);
        return;
    }
#endif
    nextFourBlocks(out);
    nextFourBlocks(out + kFourBlocks);
}

} // namespace srm
