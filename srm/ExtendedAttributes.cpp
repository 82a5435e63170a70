#include "ExtendedAttributes.h"

#include "JournalScrub.h"
#include "RandomStream.h"
#include "base/ErrorText.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace srm {

namespace {

bool ownersData(const std::string &name)
{
    return name.starts_with("user.") || name.starts_with("trusted.");
}

bool attributeNames(int fd, std::vector<std::string> &names)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP; // a file system without them has nothing to clear
        if (size == 0)
            return true;
        std::vector<char> list(std::size_t(size) + 1);
        const ssize_t got = ::flistxattr(fd, list.data(), list.size() - 1);
        if (got < 0 && errno == ERANGE)
            continue; // one was added meanwhile
        if (got < 0)
            return false;
        for (ssize_t start = 0; start < got;) {
            const std::string name(list.data() + start);
            start += ssize_t(name.size()) + 1;
            if (!name.empty())
                names.push_back(name);
        }
        return true;
    }
    errno = EAGAIN;
    return false;
}

} // namespace

bool scrubExtendedAttributes(int fd, std::string &reason, JournalScrub *journal)
{
    std::vector<std::string> names;
    if (!attributeNames(fd, names)) {
        reason = std::string("cannot list its extended attributes: ") + base::errorText(errno);
        return false;
    }
    if (names.empty())
        return true;
    bool overwritten = false;
    for (const std::string &name : names) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size <= 0)
            continue;
        std::vector<unsigned char> noise(static_cast<std::size_t>(size));
        if (!RandomStream::fillFromKernel(noise.data(), noise.size()))
            noise.assign(noise.size(), 0);
        // Values the kernel checks (access lists, labels) refuse random bytes; they are removed below.
        if (::fsetxattr(fd, name.c_str(), noise.data(), noise.size(), XATTR_REPLACE) == 0) {
            overwritten = true;
        } else if (ownersData(name) && errno != ENODATA) {
            reason = "cannot overwrite its extended attribute " + name + ": " + base::errorText(errno);
            return false;
        }
    }
    if (overwritten && ::fsync(fd) != 0) {
        reason = std::string("cannot force its overwritten extended attributes to the disk: ") +
                 base::errorText(errno);
        return false;
    }
    if (overwritten && journal) {
        // Going with its last name, the object is held until the overwritten values are home, and
        // only then loses them: removed now, their blocks would be freed with the old values in place.
        struct stat info
        {
        };
        if (::fstat(fd, &info) == 0 && (S_ISDIR(info.st_mode) || info.st_nlink == 1) &&
            journal->holdUntilHome(fd, names))
            return true;
        journal->touch(fd);
        if (!journal->settle(fd, reason))
            return false;
    }
    for (const std::string &name : names) {
        if (::fremovexattr(fd, name.c_str()) != 0 && errno != ENODATA && ownersData(name)) {
            reason = "cannot remove its extended attribute " + name + ": " + base::errorText(errno);
            return false;
        }
    }
    return true;
}

} // namespace srm
