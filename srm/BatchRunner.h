#pragma once

#include <cstdio>
#include <string>

namespace srm {

class SecureEraser;

// Erases the paths that arrive on a descriptor, each ended by a NUL byte, one at a time as soon as
// it is complete, and answers each with one flushed line: "<n> ok" or "<n> fail <reason>", n
// counting from 0. The changed folders are synced once, when the input ends.
class BatchRunner
{
public:
    BatchRunner(SecureEraser &eraser, int input, std::FILE *results);

    // Runs to the end of the input: 0 when every path was erased and synced, else 1.
    int run();

private:
    void handle(const std::string &path);
    void report(bool erased, const std::string &reason);

    SecureEraser &m_eraser;
    int m_input;
    std::FILE *m_results;
    unsigned long long m_index = 0;
    bool m_allErased = true;
};

} // namespace srm
