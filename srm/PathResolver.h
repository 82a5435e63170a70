#pragma once

#include "base/Descriptor.h"

#include <string>

namespace srm {

using base::Descriptor;

// Finds the folder that holds a path's last component without following a link anywhere on the
// way: an absolute path's folder is opened in one kernel walk that refuses every link; where that
// fails, and for a relative path, every folder is opened from "/" (or the working folder) one name
// at a time, and a name that is a link stops the walk with its name. What the last component is,
// link or not, is left to the caller.
class PathResolver
{
public:
    enum class Outcome {
        Found,       // folder and name are set
        Missing,     // a folder on the way does not exist
        ThroughLink, // a folder on the way is a link (link names it)
        IsRoot,      // the path is "/" in some spelling
        DotEntry,    // the path ends in "." or ".."
        Failed,      // error says why
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        Descriptor folder; // opened for reading, so that it can be synced
        std::string name;
        std::string link;
        int error = 0;
    };

    static Result resolve(const std::string &path);
};

} // namespace srm
