#pragma once

#include "PassPatterns.h"

#include <string>
#include <vector>

namespace srm {

struct SrmOptions
{
    Method method = Method::Gutmann;
    bool zeroPass = false;  // -z
    bool force = false;     // -f
    bool verbose = false;   // -v
    bool recursive = false; // -r
    bool batch = false;     // --batch: paths come NUL-terminated on standard input
    bool help = false;
    std::vector<std::string> paths;
};

// Parses the command line (argv[0] excluded). Options come first and may be grouped ("-fsvrz");
// "--" ends them. False with a message for an unknown option, for no path, or for a path given
// together with --batch.
bool parseArguments(const std::vector<std::string> &arguments, SrmOptions &options, std::string &error);

std::string helpText();

} // namespace srm
