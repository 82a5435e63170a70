#include "PathResolver.h"

#include "FileIdentity.h"

#include <cerrno>
#include <fcntl.h>
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

    Descriptor current(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!current.valid()) {
        result.error = errno;
        return result;
    }
    std::string walked = absolute ? "/" : "";
    for (std::size_t i = 0; i + 1 < components.size(); ++i) {
        const std::string &name = components[i];
        walked += (walked.empty() || walked.back() == '/' ? "" : "/") + name;
        if (name == ".")
            continue;
        // ".." goes up from a folder that was itself reached without a link, so it cannot lead astray.
        Descriptor next(::openat(current.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            result.error = errno;
            struct stat info
            {
            };
            if (::fstatat(current.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                result.outcome = Outcome::ThroughLink;
                result.link = walked;
            } else {
                result.outcome = result.error == ENOENT ? Outcome::Missing : Outcome::Failed;
            }
            return result;
        }
        current = std::move(next);
    }

    const std::string &last = components.back();
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
