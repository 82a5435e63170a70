// The overwrite tool started by the erasure worker, once per file.
#include "SecureEraser.h"
#include "SrmOptions.h"

#include <cstdio>
#include <string>
#include <vector>

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
    srm::SecureEraser eraser(options);
    bool allErased = true;
    for (const std::string &path : options.paths)
        allErased = eraser.erase(path) && allErased;
    return allErased ? 0 : 1;
}
