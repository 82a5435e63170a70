#pragma once

#include <string>
#include <vector>

namespace srm {

// XFS does not wipe what it frees: a removed folder entry keeps its name bytes in the folder's
// block, and a block freed before its overwritten version was written home keeps the old bytes.
// Nothing short of freezing the file system writes its metadata home. So the erasure fills the
// room of removed entries with throwaway names, writes everything home once by a freeze and thaw,
// and only then removes what it put off (JournalScrub keeps the list).
class XfsScrub
{
public:
    // Creates empty throwaway entries with random names in the folder fd until the room its removed
    // entries left is taken; their names go to throwaways (removed by the caller after the freeze).
    // A folder kept inside its inode has no such room and is left alone. False on a write error.
    static bool fill(int folderFd, std::vector<std::string> &throwaways);
    // Freezes and thaws the file system of fd, which writes its log and metadata home. A watchdog
    // process thaws it should this one die in between. False (errno set) when it could not be frozen.
    static bool writeHome(int fd);

    // Tests: called while the file system is frozen, to stand for the eraser dying right then.
    static void setFrozenHook(void (*hook)()) { s_frozenHook = hook; }

private:
    static inline void (*s_frozenHook)() = nullptr;
};

} // namespace srm
