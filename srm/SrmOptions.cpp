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
        "  --batch      read listed files from standard input, each \"DEVICE INODE NAMES PATH\"\n"
        "       ended by a NUL byte (the identity the caller examined and how many of the file's\n"
        "       names it chose), and write one line per file to standard output as soon as it is\n"
        "       done: \"N ok\" or \"N fail REASON\" (N counts from 0). Only that regular file is\n"
        "       erased: one that changed or is gone fails, folders are never entered or removed,\n"
        "       -r and -f do not apply. Folders are synced once at the end of input, and the\n"
        "       journals are left for the caller to clear\n"
        "  -h, --help   this text\n"
        "\n"
        "Symbolic links are removed, never followed, and a path that leads through one is refused.\n"
        "Only regular files are overwritten (their data, not their holes, and their extended\n"
        "attributes); devices, FIFOs and sockets are refused, and so is \"/\" in any spelling.\n"
        "-r never enters another file system or mount: each mount point found is left alone and\n"
        "reported. A file with other names than those given is left alone and the count of those\n"
        "names reported; a file on a system file system (proc, sysfs, efivarfs...), on an overlay,\n"
        "on btrfs without the no-copy-on-write attribute, or sharing extents with another file is\n"
        "left alone too. Immutable and append-only marks are cleared only on the file about to be\n"
        "overwritten, and put back when its erase fails. Random data: a ChaCha20 key stream keyed\n"
        "from the kernel's getrandom (getrandom alone for files that need little of it).\n"
        "On ext4 the journal is written home and cleared once at the end (kernel 5.13 or later, as\n"
        "administrator), so no copy of an erased name or attribute value stays in it. On XFS the\n"
        "entries go at the end, after the room they leave is filled with throwaway names and the file\n"
        "system is frozen for a moment to write them home (as administrator): copies stay in its log\n"
        "only. On solid-state drives old copies may survive elsewhere on the device; overwriting in\n"
        "place cannot reach them.\n"
        "Exit status: 0 when every path was erased, 1 when any failed, 2 for a usage error.\n";
    return text;
}

} // namespace srm
