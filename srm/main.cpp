// The overwrite tool started by the erasure worker: paths on the command line, or with --batch a
// stream of them on standard input, each answered on standard output.
#include "BatchRunner.h"
#include "SecureEraser.h"
#include "SrmOptions.h"

#include <cstdio>
#include <string>
#include <unistd.h>
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
    if (options.batch) {
        // Standard output carries the result lines alone, so -v reports nothing there.
        srm::SecureEraser eraser(options, nullptr, stderr);
        eraser.setDeferFolderSyncs(true);
        return srm::BatchRunner(eraser, STDIN_FILENO, stdout).run();
    }
    srm::SecureEraser eraser(options);
    bool allErased = true;
    for (const std::string &path : options.paths)
        allErased = eraser.erase(path) && allErased;
    return allErased ? 0 : 1;
}
