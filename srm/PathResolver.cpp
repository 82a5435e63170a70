#include "PathResolver.h"

#include "FileIdentity.h"
#include "base/FolderWalk.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <sys/stat.h>
#include <vector>

namespace srm {

namespace {

std::vector<std::string> componentsOf(const std::string &path)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            components.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

bool isRoot(int fd)
{
    FileIdentity here;
    FileIdentity root;
    return FileIdentity::of(fd, here) && FileIdentity::ofPath("/", root) && here.sameInode(root);
}

} // namespace

PathResolver::Result PathResolver::resolve(const std::string &path)
{
    Result result;
    const bool absolute = !path.empty() && path.front() == '/';
    const std::vector<std::string> components = componentsOf(path);
    if (components.empty()) {
        result.outcome = absolute ? Outcome::IsRoot : Outcome::Missing;
        result.error = ENOENT;
        return result;
    }

    // The folders on the way, and each as the path spells it up to there, for the link's name.
    std::vector<std::string> names;
    std::vector<std::string> spelled;
    std::string walked = absolute ? "/" : "";
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        walked += (walked.empty() || walked.back() == '/' ? "" : "/") + components[i];
        if (components[i] == ".")
            continue;
        // ".." goes up from a folder that was itself reached without a link, so it cannot lead astray.
        names.push_back(components[i]);
        spelled.push_back(walked);
    }
    const std::string &last = components.back();
    if (absolute && last != "." && last != "..") {
        // Most paths lead straight to their folder: the kernel walks the whole way in one call and
        // refuses every link on it, the same walk as the one below at a fraction of its calls
        // (three per folder). Whatever stops it is looked at again one folder at a time, which
        // says where and why.
        std::string folderPath("/");
        for (const std::string &name : names)
            folderPath += name + '/';
        open_how how{};
        how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        result.folder = Descriptor(int(::syscall(SYS_openat2, AT_FDCWD, folderPath.c_str(), &how, sizeof how)));
        if (result.folder.valid()) {
            result.name = last;
            result.outcome = Outcome::Found;
            return result;
        }
    }
    base::FolderWalk walk = base::walkFolders(
        Descriptor(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC)), names, O_PATH);
    if (!walk.done) {
        result.error = walk.error;
        if (!walk.folder.valid() || walk.stoppedAt >= names.size())
            return result;
        const std::string &name = names[walk.stoppedAt];
        struct stat info
        {
        };
        if (::fstatat(walk.folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(info.st_mode)) {
            result.outcome = Outcome::ThroughLink;
            result.link = spelled[walk.stoppedAt];
        } else {
            result.outcome = result.error == ENOENT ? Outcome::Missing : Outcome::Failed;
        }
        return result;
    }
    const Descriptor current = std::move(walk.folder);

    if (last == "." || last == "..") {
        const Descriptor target(::openat(current.get(), last.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        result.outcome = target.valid() && isRoot(target.get()) ? Outcome::IsRoot : Outcome::DotEntry;
        return result;
    }
    // Readable, unlike the path-only descriptors of the walk, so that the folder can be synced.
    result.folder = Descriptor(::openat(current.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!result.folder.valid()) {
        result.error = errno;
        return result;
    }
    result.name = last;
    result.outcome = Outcome::Found;
    return result;
}

} // namespace srm
