#pragma once

#include "SecureEraser.h"

#include <cstdio>
#include <string>

namespace srm {

// Erases the files listed on a descriptor, one at a time as soon as each is complete, and answers
// each with one flushed line: "<n> ok" or "<n> fail <reason>", n counting from 0. A listing is
// "<device> <inode> <names> <path>" ended by a NUL byte: the identity the caller examined and the
// count of the file's names it chose; only that regular file is erased (see
// SecureEraser::eraseListed), never a folder, and a path that is gone fails. The changed folders
// are synced once, when the input ends.
class BatchRunner
{
public:
    BatchRunner(SecureEraser &eraser, int input, std::FILE *results);

    // Runs to the end of the input: 0 when every path was erased and synced, else 1.
    int run();

private:
    static bool parse(const std::string &record, std::string &path, SecureEraser::Listed &listed);
    void handle(const std::string &record);
    void report(bool erased, const std::string &reason);

    SecureEraser &m_eraser;
    int m_input;
    std::FILE *m_results;
    unsigned long long m_index = 0;
    bool m_allErased = true;
};

} // namespace srm
