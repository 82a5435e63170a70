// The overwrite tool started by the erasure worker: paths on the command line, or with --batch a
// stream of them on standard input, each answered on standard output.
#include "BatchRunner.h"
#include "PathResolver.h"
#include "SecureEraser.h"
#include "SrmOptions.h"

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Inode = std::pair<dev_t, ino_t>;

// The file a path names, examined without following anything; false when there is none.
bool inodeOf(const std::string &path, Inode &inode)
{
    const srm::PathResolver::Result where = srm::PathResolver::resolve(path);
    struct stat info
    {
    };
    if (where.outcome != srm::PathResolver::Outcome::Found ||
        ::fstatat(where.folder.get(), where.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return false;
    inode = {info.st_dev, info.st_ino};
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    srm::SrmOptions options;
    std::string error;
    if (!srm::parseArguments(arguments, options, error)) {
        std::fprintf(stderr, "srm: %s\nTry 'srm --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(srm::helpText().c_str(), stdout);
        return 0;
    }
    if (options.batch) {
        // Standard output carries the result lines alone, so -v reports nothing there.
        srm::SecureEraser eraser(options, nullptr, stderr);
        eraser.setDeferFolderSyncs(true);
        // The worker clears the journals once, when its whole run has ended.
        eraser.setJournalClearing(false);
        return srm::BatchRunner(eraser, STDIN_FILENO, stdout).run();
    }
    // A file may be erased under one name only when every other name of it was given as well.
    std::map<Inode, unsigned long> namesGiven;
    std::vector<std::pair<bool, Inode>> inodes;
    for (const std::string &path : options.paths) {
        Inode inode;
        const bool found = inodeOf(path, inode);
        inodes.emplace_back(found, inode);
        if (found)
            ++namesGiven[inode];
    }
    srm::SecureEraser eraser(options);
    // A tree's truncated files and emptied folders reach the disk with one sync per file system at
    // the end, as in batch mode; the exit status waits for it.
    eraser.setDeferFolderSyncs(options.recursive);
    bool allErased = true;
    for (std::size_t i = 0; i < options.paths.size(); ++i) {
        unsigned long names = 1;
        if (inodes[i].first)
            names = namesGiven[inodes[i].second]--; // the names still to come, this one included
        allErased = eraser.erase(options.paths[i], names) && allErased;
    }
    return eraser.syncDeferred() && allErased ? 0 : 1;
}
