#pragma once

#include <cstdint>
#include <string>

namespace srm {

// Where overwriting a file in place cannot do what it promises, judged from an open descriptor
// (a path-only one is enough for the file system's type).
//
// A system file system (proc, sysfs, efivarfs, cgroup...) shows settings and firmware variables as
// files: writing random bytes there changes the machine, so nothing on one is opened for writing.
// Storage that keeps the old data (an overlay's lower layer, copy-on-write file systems, extents
// shared with another file) is left as it is: an erase that would only look complete is refused.
namespace storage {

// The type (statfs magic) of the file system the descriptor lies on; false with errno set when it
// cannot be told, which both judgements below take for a refusal.
bool typeOf(int fd, std::uint32_t &magic);
// Why nothing on the descriptor's file system may be written, or empty when it may.
std::string systemFileSystem(int fd);
// The same for a file system of a type already known.
std::string systemFileSystemOfType(std::uint32_t magic);
// Why overwriting the open file in place would leave its old data on the device, or empty. magic is
// the type of its file system (typeOf); flags are the inode's attribute flags (FS_IOC_GETFLAGS), -1
// when unknown.
std::string keepsOldData(int fd, long flags, std::uint32_t magic);

} // namespace storage

} // namespace srm
