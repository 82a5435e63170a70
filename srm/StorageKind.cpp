#include "StorageKind.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

namespace srm::storage {

namespace {

struct Kind
{
    std::uint32_t magic;
    const char *name;
};

// Settings, state and firmware shown as files, and the kernel's own bookkeeping.
constexpr Kind kSystemKinds[] = {
    {0x9fa0, "proc"},          {0x62656572, "sysfs"},     {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},   {0x73636673, "securityfs"}, {0xde5e81e4, "efivarfs"},
    {0x27e0eb, "cgroup"},      {0x63677270, "cgroup2"},   {0x62656570, "configfs"},
    {0xcafe4a11, "bpf"},       {0x6165676c, "pstore"},    {0x1cd1, "devpts"},
    {0xf97cff8c, "selinuxfs"}, {0x43415d53, "smackfs"},   {0x65735543, "fusectl"},
    {0x42494e4d, "binfmt_misc"}, {0x19800202, "mqueue"},  {0x6e736673, "nsfs"},
    {0x67596969, "rpc_pipefs"}, {0x6e667364, "nfsd"},     {0xabba1974, "xenfs"},
    {0x0187, "autofs"},        {0x9fa2, "usbdevfs"},
};

constexpr std::uint32_t kOverlay = 0x794c7630;
constexpr std::uint32_t kBtrfs = 0x9123683e;
constexpr std::uint32_t kZfs = 0x2fc12fc1;

// Whether the extent map marks any extent of the file as shared with another file (reflinks,
// snapshots, deduplication).
bool hasSharedExtents(int fd)
{
    constexpr std::uint32_t kBatch = 64;
    constexpr std::size_t kBytes = sizeof(struct fiemap) + kBatch * sizeof(struct fiemap_extent);
    alignas(struct fiemap) unsigned char buffer[kBytes];
    auto *map = reinterpret_cast<struct fiemap *>(buffer);
    std::uint64_t start = 0;
    while (true) {
        // The kernel fills in the extents it maps, and only those are read.
        std::memset(map, 0, sizeof(struct fiemap));
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_extent_count = kBatch;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return false; // no extent map (tmpfs, say): nothing there can be shared
        if (map->fm_mapped_extents == 0)
            return false;
        for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
            const struct fiemap_extent &extent = map->fm_extents[i];
            if (extent.fe_flags & FIEMAP_EXTENT_SHARED)
                return true;
            if (extent.fe_flags & FIEMAP_EXTENT_LAST)
                return false;
            start = extent.fe_logical + extent.fe_length;
        }
    }
}

constexpr const char *kUnknownType = "cannot tell its file system; left alone";

} // namespace

bool typeOf(int fd, std::uint32_t &magic)
{
    struct statfs info
    {
    };
    if (::fstatfs(fd, &info) != 0)
        return false;
    magic = std::uint32_t(info.f_type);
    return true;
}

std::string systemFileSystem(int fd)
{
    std::uint32_t magic = 0;
    return typeOf(fd, magic) ? systemFileSystemOfType(magic) : kUnknownType;
}

std::string systemFileSystemOfType(std::uint32_t magic)
{
    for (const Kind &kind : kSystemKinds)
        if (kind.magic == magic)
            return std::string("lies on a system file system (") + kind.name +
                   "), where files are settings of the machine; nothing there is written";
    return {};
}

std::string keepsOldData(int fd, long flags, std::uint32_t magic)
{
    if (magic == kOverlay)
        return "lies on an overlay: writing makes a new copy in the upper layer and leaves the "
               "lower one as it was; left alone";
    if (magic == kZfs)
        return "lies on a copy-on-write file system: overwriting writes new blocks and leaves the "
               "old ones on the device; left alone";
    if (magic == kBtrfs && (flags < 0 || !(flags & FS_NOCOW_FL)))
        return "lies on btrfs without the no-copy-on-write attribute: overwriting writes new blocks "
               "and leaves the old ones on the device; left alone";
    if (hasSharedExtents(fd))
        return "shares its data with another file (a copy made by reference, or a snapshot): "
               "overwriting would leave that data in place; left alone";
    return {};
}

} // namespace srm::storage
