#pragma once

#include <string>

namespace srm {

// Overwrites the value of every extended attribute of an open file or folder in place (same
// length, random bytes, forced to the disk), then removes them all. Removing alone frees the space
// without clearing it, so a value would stay readable on the device. The owner's namespaces
// ("user.", "trusted.") must go; labels and access lists the system keeps are overwritten and
// removed where the system allows. False with the reason when something of the owner's stays.
bool scrubExtendedAttributes(int fd, std::string &reason);

} // namespace srm
