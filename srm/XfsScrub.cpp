#include "XfsScrub.h"

#include "RandomStream.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace srm {

namespace {

// Entry sizes grow in steps of 8 bytes with the name; from long to short names, each step takes the
// gaps the longer ones could not.
constexpr int kNameLengths[] = {255, 200, 150, 100, 60, 40, 24, 12, 4};
// A folder of a million removed entries stays far below this; it only bounds a misjudged loop.
constexpr std::size_t kMostThrowaways = 1 << 20;

} // namespace

bool XfsScrub::fill(int folderFd, std::vector<std::string> &throwaways)
{
    struct stat before
    {
    };
    if (::fstat(folderFd, &before) != 0)
        return false;
    if (before.st_blocks == 0)
        return true;
    for (const int length : kNameLengths) {
        // The folder grows a block once no room of its old blocks takes a name this long.
        while (throwaways.size() < kMostThrowaways) {
            const std::string name = RandomStream::randomName(std::size_t(length));
            const int fd = ::openat(folderFd, name.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
            if (fd < 0 && errno == EEXIST)
                continue;
            if (fd < 0)
                return false;
            ::close(fd);
            struct stat now
            {
            };
            if (::fstat(folderFd, &now) != 0)
                return false;
            if (now.st_size > before.st_size) {
                if (::unlinkat(folderFd, name.c_str(), 0) != 0)
                    throwaways.push_back(name);
                break;
            }
            throwaways.push_back(name);
        }
    }
    return true;
}

bool XfsScrub::writeHome(int fd)
{
    // Nothing may write to the file system while it is frozen, signal handlers included: they wait.
    sigset_t all, previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    int done[2];
    if (::pipe2(done, O_CLOEXEC) != 0) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return false;
    }
    const pid_t watchdog = ::fork();
    if (watchdog == 0) {
        // Its own session and all signals blocked: it outlives whatever stops the eraser, and
        // thaws unless told that the thaw happened.
        ::close(done[1]);
        ::setsid();
        char byte = 0;
        ssize_t got;
        do
            got = ::read(done[0], &byte, 1);
        while (got < 0 && errno == EINTR);
        if (got != 1)
            ::ioctl(fd, FITHAW, 0);
        ::_exit(0);
    }
    ::close(done[0]);
    bool frozen = false;
    int error = errno;
    if (watchdog > 0) {
        frozen = ::ioctl(fd, FIFREEZE, 0) == 0;
        error = errno;
        if (frozen && s_frozenHook)
            s_frozenHook();
        if (frozen)
            ::ioctl(fd, FITHAW, 0);
        const char byte = 't';
        (void)!::write(done[1], &byte, 1);
    }
    ::close(done[1]);
    if (watchdog > 0)
        while (::waitpid(watchdog, nullptr, 0) < 0 && errno == EINTR) {
        }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return frozen;
}

} // namespace srm
