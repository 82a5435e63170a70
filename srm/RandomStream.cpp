#include "RandomStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace srm {

// The few entry points of the crypto library that the key stream needs, looked up at run time.
struct RandomStream::Api
{
    void *(*newContext)() = nullptr;
    void (*freeContext)(void *) = nullptr;
    const void *(*chacha20)() = nullptr;
    int (*encryptInit)(void *, const void *, void *, const unsigned char *, const unsigned char *) = nullptr;
    int (*encryptUpdate)(void *, unsigned char *, int *, const unsigned char *, int) = nullptr;
};

namespace {
template <typename T> bool lookUp(void *library, const char *name, T &target)
{
    target = reinterpret_cast<T>(::dlsym(library, name));
    return target != nullptr;
}
} // namespace

RandomStream::RandomStream() = default;

RandomStream::~RandomStream()
{
    if (m_context && m_api)
        m_api->freeContext(m_context);
    delete m_api;
    if (m_library)
        ::dlclose(m_library);
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
    m_triedKeyStream = true;
    if (!m_api) {
        m_library = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!m_library)
            return false;
        auto api = new Api;
        if (!lookUp(m_library, "EVP_CIPHER_CTX_new", api->newContext) ||
            !lookUp(m_library, "EVP_CIPHER_CTX_free", api->freeContext) ||
            !lookUp(m_library, "EVP_chacha20", api->chacha20) ||
            !lookUp(m_library, "EVP_EncryptInit_ex", api->encryptInit) ||
            !lookUp(m_library, "EVP_EncryptUpdate", api->encryptUpdate)) {
            delete api;
            return false;
        }
        m_api = api;
    }
    // A 32-byte key and a 96-bit nonce from the kernel; the IV is the 32-bit block counter and the nonce.
    unsigned char key[32];
    unsigned char iv[16];
    if (!fillFromKernel(key, sizeof key) || !fillFromKernel(iv + 4, sizeof iv - 4))
        return false;
    std::memset(iv, 0, 4); // the block counter starts at 0, so a key's 256 GiB lie ahead of it
    void *context = m_api->newContext();
    if (!context)
        return false;
    const void *cipher = m_api->chacha20();
    if (!cipher || m_api->encryptInit(context, cipher, nullptr, key, iv) != 1) {
        m_api->freeContext(context);
        return false;
    }
    std::memset(key, 0, sizeof key);
    m_context = context;
    return true;
}

bool RandomStream::fill(unsigned char *buffer, std::size_t length)
{
    if (!m_streamWanted || !m_keyStreamAllowed)
        return fillFromKernel(buffer, length);
    if (!m_context && (m_triedKeyStream || !startKeyStream()))
        return fillFromKernel(buffer, length);
    // The block counter of one key covers 256 GiB: take a fresh key well before it wraps.
    if (m_streamBytes + length > kRekeyBytes) {
        m_api->freeContext(m_context);
        m_context = nullptr;
        m_streamBytes = 0;
        if (!startKeyStream())
            return fillFromKernel(buffer, length);
    }
    m_streamBytes += length;
    // The key stream is the cipher's output over zeros, made in pieces that stay in the cache.
    static const unsigned char zeros[kPiece] = {};
    std::size_t done = 0;
    while (done < length) {
        const int piece = int(std::min(length - done, kPiece));
        int written = 0;
        if (m_api->encryptUpdate(m_context, buffer + done, &written, zeros, piece) != 1 || written != piece)
            return fillFromKernel(buffer, length);
        done += std::size_t(piece);
    }
    return true;
}

} // namespace srm
