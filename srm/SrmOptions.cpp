#include "SrmOptions.h"

namespace srm {

bool parseArguments(const std::vector<std::string> &arguments, SrmOptions &options, std::string &error)
{
    std::size_t index = 0;
    for (; index < arguments.size(); ++index) {
        const std::string &argument = arguments[index];
        if (argument == "--") {
            ++index;
            break;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument == "--batch") {
            options.batch = true;
            continue;
        }
        if (argument.size() < 2 || argument[0] != '-')
            break;
        if (argument[1] == '-') {
            error = "unknown option '" + argument + "'";
            return false;
        }
        for (std::size_t i = 1; i < argument.size(); ++i) {
            switch (argument[i]) {
            case 's':
                options.method = Method::Single;
                break;
            case 'E':
                options.method = Method::ThreePass;
                break;
            case 'm':
                options.method = Method::SevenPass;
                break;
            case 'z':
                options.zeroPass = true;
                break;
            case 'f':
                options.force = true;
                break;
            case 'v':
                options.verbose = true;
                break;
            case 'r':
                options.recursive = true;
                break;
            default:
                error = std::string("unknown option '-") + argument[i] + "'";
                return false;
            }
        }
    }
    options.paths.assign(arguments.begin() + std::ptrdiff_t(index), arguments.end());
    if (options.batch && !options.paths.empty()) {
        error = "--batch reads its paths from standard input; none may follow it";
        return false;
    }
    if (!options.batch && options.paths.empty()) {
        error = "no file given";
        return false;
    }
    return true;
}

std::string helpText()
{
    std::string text =
        "Usage: srm [-s|-E|-m] [-zfvr] [--] PATH...\n"
        "       srm [-s|-E|-m] [-zfvr] --batch\n"
        "Overwrites each file, forcing every pass to the disk, then renames it to a random name\n"
        "of the same length, truncates and removes it.\n"
        "\n"
        "  -s   1 pass  (HMG Infosec Standard 5): random\n"
        "  -E   3 passes (U.S. Army AR380-19): random, 0x00, 0xFF\n"
        "  -m   7 passes (DoD 5220.22-M ECE): 0x00, 0xFF, random, 0x96, 0x00, 0xFF, random\n"
        "       none of them: 35 passes (Peter Gutmann's algorithm): 4 random, then\n"
        "       0x55, 0xAA, 92 49 24, 49 24 92, 24 92 49, 0x00, 0x11, 0x22, ... 0xFF (16 passes),\n"
        "       92 49 24, 49 24 92, 24 92 49, 6D B6 DB, B6 DB 6D, DB 6D B6, then 4 random\n"
        "  -z   a final pass of zeros\n"
        "  -f   no questions; a missing file is not an error; read-only files are made writable\n"
        "  -v   report each pass on standard output\n"
        "  -r   erase folders and everything in them, contents first\n"
        "  --batch      read the paths from standard input, each ended by a NUL byte, and write\n"
        "       one line per path to standard output as soon as it is done: \"N ok\" or\n"
        "       \"N fail REASON\" (N counts from 0); folders are synced once at the end of input\n"
        "  -h, --help   this text\n"
        "\n"
        "Symbolic links are removed, never followed, and a path that leads through one is refused.\n"
        "Only regular files are overwritten (their data, not their holes, and their extended\n"
        "attributes); devices, FIFOs and sockets are refused, and so is \"/\" in any spelling.\n"
        "-r never enters another file system or mount: each mount point found is left alone and\n"
        "reported. A file with other names is erased all the same, and the count of those names is\n"
        "reported. Random data: a ChaCha20 key stream keyed from the kernel's getrandom (getrandom\n"
        "alone for files that need little of it).\n"
        "On solid-state drives and journalling or copy-on-write file systems old copies of the data\n"
        "may survive elsewhere on the device; overwriting in place cannot reach them.\n"
        "Exit status: 0 when every path was erased, 1 when any failed, 2 for a usage error.\n";
    return text;
}

} // namespace srm
