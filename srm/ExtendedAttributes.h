#pragma once

#include <string>

namespace srm {

class JournalScrub;

// Overwrites the value of every extended attribute of an open file or folder in place (same
// length, random bytes, forced to the disk), then removes them all. Removing alone frees the space
// without clearing it, so a value would stay readable on the device. The owner's namespaces
// ("user.", "trusted.") must go; labels and access lists the system keeps are overwritten and
// removed where the system allows. False with the reason when something of the owner's stays.
// With a journal, the overwritten values reach their home place before their block is freed: an
// object about to lose its last name is held with them and they are removed once the journal is
// home (srm::JournalScrub), otherwise the journal is written home before they are removed.
bool scrubExtendedAttributes(int fd, std::string &reason, JournalScrub *journal = nullptr);

} // namespace srm
