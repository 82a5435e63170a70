#include "BatchRunner.h"

#include "SecureEraser.h"
#include "base/ErrorText.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace srm {

namespace {

// One line of text: control characters (newlines included) become spaces.
std::string oneLine(const std::string &text)
{
    std::string line = text;
    for (char &c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return line;
}

} // namespace

BatchRunner::BatchRunner(SecureEraser &eraser, int input, std::FILE *results)
    : m_eraser(eraser), m_input(input), m_results(results)
{
}

void BatchRunner::report(bool erased, const std::string &reason)
{
    if (erased)
        std::fprintf(m_results, "%llu ok\n", m_index);
    else
        std::fprintf(m_results, "%llu fail %s\n", m_index, oneLine(reason).c_str());
    // The worker waits for each line before it counts the path done.
    std::fflush(m_results);
    m_allErased = m_allErased && erased;
    ++m_index;
}

bool BatchRunner::parse(const std::string &record, std::string &path, SecureEraser::Listed &listed)
{
    // Three decimal numbers, each followed by one space; the path is everything after the third.
    unsigned long long numbers[3] = {0, 0, 0};
    const char *at = record.data();
    const char *end = at + record.size();
    for (unsigned long long &number : numbers) {
        const auto [stop, error] = std::from_chars(at, end, number);
        if (error != std::errc() || stop == end || *stop != ' ')
            return false;
        at = stop + 1;
    }
    if (at == end || numbers[2] == 0)
        return false;
    listed.device = dev_t(numbers[0]);
    listed.inode = ino_t(numbers[1]);
    listed.names = static_cast<unsigned long>(numbers[2]);
    path.assign(at, end);
    return true;
}

void BatchRunner::handle(const std::string &record)
{
    std::string path;
    SecureEraser::Listed listed;
    if (!parse(record, path, listed)) {
        std::fprintf(stderr, "srm: %s: not a listed entry (device, inode, names, path); left alone\n",
                     oneLine(record).c_str());
        report(false, "not a listed entry (device, inode, names, path); left alone");
        return;
    }
    if (m_eraser.eraseListed(path, listed)) {
        report(true, {});
        return;
    }
    // The path itself is known to the reader; an entry inside a folder is named.
    const std::string &entry = m_eraser.failedEntry();
    const std::string &why = m_eraser.failureReason();
    report(false, entry == path ? why : entry + ": " + why);
}

int BatchRunner::run()
{
    std::vector<char> buffer(64 * 1024);
    std::string pending;
    bool readFailed = false;
    while (true) {
        const ssize_t got = ::read(m_input, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            std::fprintf(stderr, "srm: cannot read the paths: %s\n", base::errorText(errno).c_str());
            readFailed = true;
            break;
        }
        if (got == 0)
            break;
        // Each complete path is erased before more is read: the writer waits for its line.
        const char *start = buffer.data();
        const char *end = start + got;
        while (const void *nul = std::memchr(start, '\0', std::size_t(end - start))) {
            const char *stop = static_cast<const char *>(nul);
            pending.append(start, stop);
            handle(pending);
            pending.clear();
            start = stop + 1;
        }
        pending.append(start, end);
    }
    // A writer that stopped half way left a piece of a path: erasing what it happens to name could
    // hit something else, so it is only reported.
    if (!pending.empty()) {
        std::fprintf(stderr, "srm: %s: not ended by a NUL byte; left alone\n", pending.c_str());
        report(false, "not ended by a NUL byte; left alone");
    }
    const bool synced = m_eraser.syncDeferred();
    return m_allErased && synced && !readFailed ? 0 : 1;
}

} // namespace srm
