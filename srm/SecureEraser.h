#pragma once

#include "PassPatterns.h"
#include "RandomStream.h"
#include "SrmOptions.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace srm {

// Erases the paths of one command line. Every failure is one line on the error stream.
class SecureEraser
{
public:
    explicit SecureEraser(const SrmOptions &options, std::FILE *out = stdout, std::FILE *err = stderr);

    // True when the path is gone (or, with force, was never there).
    bool erase(const std::string &path);
    // Runs every pass over the first length bytes of an open file, each forced to the disk.
    bool overwriteDescriptor(int fd, std::uint64_t length, const std::string &label);

    RandomStream &random() { return m_random; }
    const std::vector<Pass> &passes() const { return m_passes; }
    // Replaces the method's passes (tests of a single pattern).
    void setPasses(std::vector<Pass> passes) { m_passes = std::move(passes); }

private:
    bool eraseAt(int dirFd, const std::string &name, const std::string &display);
    bool eraseRegularFile(int dirFd, const std::string &name, const std::string &display,
                          const struct stat &info);
    bool eraseFolder(int dirFd, const std::string &name, const std::string &display);
    bool writePass(int fd, std::uint64_t length, const Pass &pass);
    static bool writeChunk(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset);
    std::string randomNameLike(const std::string &name);
    bool fail(const std::string &display, const std::string &reason);
    bool failErrno(const std::string &display, const std::string &what, int error);

    SrmOptions m_options;
    std::vector<Pass> m_passes;
    RandomStream m_random;
    std::unique_ptr<unsigned char[]> m_buffer;
    std::unique_ptr<unsigned char[]> m_spare; // second random buffer of large files
    std::FILE *m_out;
    std::FILE *m_err;
};

} // namespace srm
