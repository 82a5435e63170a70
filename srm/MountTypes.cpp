#include "MountTypes.h"

#include "StorageKind.h"

namespace srm {

bool MountTypes::typeOf(int fd, const FileIdentity &identity, std::uint32_t &magic)
{
    const bool remembered = identity.knowsMount && identity.mountUnique;
    if (remembered) {
        // A mount keeps its file system for its whole life, and its id is never given again.
        const auto found = m_types.find(identity.mount);
        if (found != m_types.end()) {
            magic = found->second;
            return true;
        }
    }
    if (!storage::typeOf(fd, magic))
        return false;
    if (remembered)
        m_types.emplace(identity.mount, magic);
    return true;
}

} // namespace srm
