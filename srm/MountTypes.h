#pragma once

#include "FileIdentity.h"

#include <cstdint>
#include <unordered_map>

namespace srm {

// The type of the file system each file of a run lies on, asked of the kernel once per mount: a
// tree of small files otherwise asks the same question once per file. Only a mount the kernel
// names by its never-reused id is remembered: the short id may pass to a new mount, of another
// type, once the old one is gone, and a device number (an overlay's upper files carry that of the
// file system below) does not tell mounts of different types apart.
class MountTypes
{
public:
    // The type of the file system of fd, which identity describes (FileIdentity::of on fd or on a
    // descriptor of the same mount); false with errno set when it cannot be told.
    bool typeOf(int fd, const FileIdentity &identity, std::uint32_t &magic);

private:
    std::unordered_map<std::uint64_t, std::uint32_t> m_types; // by never-reused mount id
};

} // namespace srm
