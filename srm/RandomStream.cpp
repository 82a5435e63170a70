#include "RandomStream.h"

#include "ChaCha20.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace srm {

RandomStream::RandomStream() = default;

RandomStream::~RandomStream() = default;

std::string RandomStream::randomName(std::size_t length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // A name is asked for with every erased file: drawn from a pool of the kernel's bytes, a tree
    // of small files does not pay a call for each. No byte of the pool is handed out twice.
    thread_local unsigned char pool[256];
    thread_local std::size_t used = sizeof pool;
    std::string result(length, 'x');
    for (std::size_t i = 0; i < length; ++i) {
        if (used == sizeof pool) {
            if (!fillFromKernel(pool, sizeof pool))
                return std::string(length, 'x');
            used = 0;
        }
        result[i] = alphabet[pool[used++] % (sizeof alphabet - 1)];
    }
    return result;
}

bool RandomStream::fillFromKernel(unsigned char *buffer, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::getrandom(buffer + done, length - done, 0);
        if (got > 0) {
            done += std::size_t(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno == ENOSYS) {
            const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return false;
            while (done < length) {
                const ssize_t r = ::read(fd, buffer + done, length - done);
                if (r > 0)
                    done += std::size_t(r);
                else if (!(r < 0 && errno == EINTR))
                    break;
            }
            ::close(fd);
            return done == length;
        } else {
            return false;
        }
    }
    return true;
}

bool RandomStream::startKeyStream()
{
    // A 32-byte key and a 96-bit nonce from the kernel; the block counter starts at 0, so a key's
    // 256 GiB lie ahead of it.
    unsigned char key[32];
    unsigned char nonce[12];
    if (!fillFromKernel(key, sizeof key) || !fillFromKernel(nonce, sizeof nonce))
        return false;
    m_cipher = std::make_unique<ChaCha20>(key, nonce, 0);
    explicit_bzero(key, sizeof key);
    m_streamBytes = 0;
    return true;
}

bool RandomStream::fill(unsigned char *buffer, std::size_t length)
{
    if (!m_streamWanted || !m_keyStreamAllowed)
        return fillFromKernel(buffer, length);
    // The block counter of one key covers 256 GiB: take a fresh key well before it wraps.
    if ((!m_cipher || m_streamBytes + length > kRekeyBytes) && !startKeyStream())
        return fillFromKernel(buffer, length);
    m_streamBytes += length + ChaCha20::kFourBlocks;
    std::size_t done = 0;
    for (; done + 2 * ChaCha20::kFourBlocks <= length; done += 2 * ChaCha20::kFourBlocks)
        m_cipher->nextEightBlocks(buffer + done);
    for (; done + ChaCha20::kFourBlocks <= length; done += ChaCha20::kFourBlocks)
        m_cipher->nextFourBlocks(buffer + done);
    if (done < length) {
        unsigned char last[ChaCha20::kFourBlocks];
        m_cipher->nextFourBlocks(last);
        std::memcpy(buffer + done, last, length - done);
    }
    return true;
}

} // namespace srm
