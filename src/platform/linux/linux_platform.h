#pragma once
// Creates the Linux implementation of every platform service.
#include "platform/platform.h"

#include <string>

namespace qb::linux_os {

class FreezeGuardian;

// `stateFolder` keeps the record of frozen processes; processes a crashed earlier run left frozen there
// are released here. An empty folder keeps no record. `guardian` (may be null) continues frozen processes
// should this program be killed; it must outlive the platform.
Platform MakeLinuxPlatform(const std::string& stateFolder, FreezeGuardian* guardian = nullptr);

// $XDG_STATE_HOME/Quillbrook (default ~/.local/state/Quillbrook), created when missing and closed to
// other users; empty when it cannot be made so.
std::string DefaultStateFolder();

} // namespace qb::linux_os
