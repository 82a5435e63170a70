#include "SecureEraser.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace srm {

namespace {

// A multiple of 3 (for the three-byte patterns) and of the page size.
constexpr std::size_t kBufferSize = 3 * 1024 * 1024;

const char *typeName(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a regular file";
}

struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
};

} // namespace

SecureEraser::SecureEraser(const SrmOptions &options, std::FILE *out, std::FILE *err)
    : m_options(options), m_passes(passesFor(options.method, options.zeroPass)), m_out(out), m_err(err)
{
}

bool SecureEraser::fail(const std::string &display, const std::string &reason)
{
    std::fprintf(m_err, "srm: %s: %s\n", display.c_str(), reason.c_str());
    return false;
}

bool SecureEraser::failErrno(const std::string &display, const std::string &what, int error)
{
    return fail(display, what + ": " + std::strerror(error));
}

bool SecureEraser::erase(const std::string &path)
{
    if (path.empty())
        return fail("''", "no such file or folder");
    // Split off the last component, ignoring trailing slashes.
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (trimmed == "/")
        return fail(path, "refusing to erase the root folder");
    const std::size_t slash = trimmed.rfind('/');
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : trimmed.substr(0, slash));
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name == "." || name == "..")
        return fail(path, "refusing to erase '.' or '..'");

    Descriptor dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0) {
        if (errno == ENOENT && m_options.force)
            return true;
        return failErrno(path, "cannot open its folder", errno);
    }
    // "/." and the like were caught above; a bind or link path to the root is caught here.
    struct stat info
    {
    };
    struct stat root
    {
    };
    if (::fstatat(dir.fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode) &&
        ::stat("/", &root) == 0 && info.st_dev == root.st_dev && info.st_ino == root.st_ino)
        return fail(path, "refusing to erase the root folder");
    const bool ok = eraseAt(dir.fd, name, path);
    if (ok && ::fsync(dir.fd) != 0 && errno != EINVAL)
        return failErrno(path, "cannot sync its folder", errno);
    return ok;
}

bool SecureEraser::eraseAt(int dirFd, const std::string &name, const std::string &display)
{
    struct stat info
    {
    };
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT && m_options.force)
            return true;
        return failErrno(display, "cannot examine", errno);
    }
    if (S_ISLNK(info.st_mode)) {
        // The link goes; what it points to is never touched.
        if (::unlinkat(dirFd, name.c_str(), 0) != 0)
            return failErrno(display, "cannot remove the link", errno);
        if (m_options.verbose)
            std::fprintf(m_out, "srm: %s: link removed\n", display.c_str());
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        if (!m_options.recursive)
            return fail(display, "is a folder (use -r)");
        return eraseFolder(dirFd, name, display);
    }
    if (!S_ISREG(info.st_mode))
        return fail(display, std::string("is ") + typeName(info.st_mode) + "; only regular files are erased");
    return eraseRegularFile(dirFd, name, display, info);
}

bool SecureEraser::eraseFolder(int dirFd, const std::string &name, const std::string &display)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dirFd, name.c_str(), flags);
    if (fd < 0 && errno == EACCES && m_options.force && ::fchmodat(dirFd, name.c_str(), S_IRWXU, 0) == 0)
        fd = ::openat(dirFd, name.c_str(), flags);
    if (fd < 0)
        return failErrno(display, "cannot open the folder", errno);
    Descriptor folder(fd);
    struct stat info
    {
    };
    if (m_options.force && ::fstat(folder.fd, &info) == 0 && (info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.fd, info.st_mode | S_IRWXU);

    // Take the names first: the folder changes while its entries go.
    std::vector<std::string> names;
    {
        const int listFd = ::dup(folder.fd);
        DIR *listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!listing) {
            if (listFd >= 0)
                ::close(listFd);
            return failErrno(display, "cannot list the folder", errno);
        }
        while (const dirent *entry = ::readdir(listing)) {
            const std::string child = entry->d_name;
            if (child != "." && child != "..")
                names.push_back(child);
        }
        ::closedir(listing);
    }
    bool ok = true;
    for (const std::string &child : names)
        ok = eraseAt(folder.fd, child, display + "/" + child) && ok;
    if (!ok)
        return false; // each failed entry was reported; the folder stays with them
    ::fsync(folder.fd);
    if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0)
        return failErrno(display, "cannot remove the folder", errno);
    if (m_options.verbose)
        std::fprintf(m_out, "srm: %s: folder removed\n", display.c_str());
    return true;
}

bool SecureEraser::eraseRegularFile(int dirFd, const std::string &name, const std::string &display,
                                    const struct stat &info)
{
    // Never follow a link put in the file's place, and never block on a FIFO swapped in.
    const int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::openat(dirFd, name.c_str(), flags);
    if (fd < 0 && errno == EACCES && m_options.force &&
        ::fchmodat(dirFd, name.c_str(), (info.st_mode & 07777) | S_IWUSR, 0) == 0)
        fd = ::openat(dirFd, name.c_str(), flags);
    if (fd < 0)
        return failErrno(display, "cannot open for writing", errno);
    Descriptor file(fd);
    struct stat opened
    {
    };
    if (::fstat(file.fd, &opened) != 0)
        return failErrno(display, "cannot examine", errno);
    if (!S_ISREG(opened.st_mode) || opened.st_dev != info.st_dev || opened.st_ino != info.st_ino)
        return fail(display, "changed while being opened; left alone");

    if (!overwriteDescriptor(file.fd, std::uint64_t(opened.st_size), display))
        return false;

    // Overwrite the name as well: the folder entry keeps the old one otherwise.
    std::string current = name;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string candidate = randomNameLike(name);
        if (::renameat2(dirFd, current.c_str(), dirFd, candidate.c_str(), RENAME_NOREPLACE) == 0) {
            current = candidate;
            break;
        }
        if (errno != EEXIST)
            break; // e.g. a file system without no-replace renames: the content is gone all the same
    }
    if (::ftruncate(file.fd, 0) != 0)
        return failErrno(display, "cannot truncate", errno);
    ::fdatasync(file.fd);
    if (::unlinkat(dirFd, current.c_str(), 0) != 0)
        return failErrno(display, "overwritten but cannot be removed", errno);
    if (m_options.verbose)
        std::fprintf(m_out, "srm: %s: removed\n", display.c_str());
    return true;
}

bool SecureEraser::overwriteDescriptor(int fd, std::uint64_t length, const std::string &label)
{
    // Not zeroed: a small file touches only the first pages of it.
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
    const std::size_t count = m_passes.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (m_options.verbose) {
            std::fprintf(m_out, "srm: %s: pass %zu/%zu (%s)\n", label.c_str(), i + 1, count,
                         m_passes[i].describe().c_str());
            std::fflush(m_out);
        }
        if (!writePass(fd, length, m_passes[i]))
            return failErrno(label, "overwrite failed", errno);
        // A pass that only reached the page cache erases nothing.
        if (::fdatasync(fd) != 0)
            return failErrno(label, "cannot force the pass to the disk", errno);
    }
    return true;
}

bool SecureEraser::writeChunk(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset)
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
    return true;
}

bool SecureEraser::writePass(int fd, std::uint64_t length, const Pass &pass)
{
    unsigned char *buffer = m_buffer.get();
    const auto chunkAt = [length](std::uint64_t offset) {
        return std::size_t(std::min<std::uint64_t>(length - offset, kBufferSize));
    };
    if (!pass.random) {
        const std::size_t first = chunkAt(0);
        for (std::size_t i = 0; i < first; ++i)
            buffer[i] = pass.pattern[i % pass.patternLength];
        for (std::uint64_t offset = 0; offset < length; offset += chunkAt(offset)) {
            if (!writeChunk(fd, buffer, chunkAt(offset), offset))
                return false;
        }
        return true;
    }

    if (length <= kBufferSize) {
        if (!m_random.fill(buffer, std::size_t(length))) {
            errno = EIO;
            return false;
        }
        return writeChunk(fd, buffer, std::size_t(length), 0);
    }
    // Large files: the next chunk's random data is made on a second thread while this one is
    // written, so the pass runs at the disk's speed rather than at the sum of both.
    if (!m_spare)
        m_spare = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
    unsigned char *current = buffer;
    unsigned char *next = m_spare.get();
    if (!m_random.fill(current, chunkAt(0))) {
        errno = EIO;
        return false;
    }
    for (std::uint64_t offset = 0; offset < length;) {
        const std::size_t chunk = chunkAt(offset);
        const std::uint64_t following = offset + chunk;
        std::future<bool> prepared;
        if (following < length) {
            const std::size_t nextChunk = chunkAt(following);
            prepared = std::async(std::launch::async,
                                  [this, next, nextChunk] { return m_random.fill(next, nextChunk); });
        }
        const bool written = writeChunk(fd, current, chunk, offset);
        const int writeError = errno;
        const bool filled = !prepared.valid() || prepared.get();
        if (!written) {
            errno = writeError;
            return false;
        }
        if (!filled) {
            errno = EIO;
            return false;
        }
        std::swap(current, next);
        offset = following;
    }
    return true;
}

std::string SecureEraser::randomNameLike(const std::string &name)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string result(name.size(), 'x');
    std::vector<unsigned char> bytes(name.size());
    if (!bytes.empty() && !RandomStream::fillFromKernel(bytes.data(), bytes.size()))
        return result;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        result[i] = alphabet[bytes[i] % (sizeof alphabet - 1)];
    return result;
}

} // namespace srm
