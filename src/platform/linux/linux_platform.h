#pragma once
// Creates the Linux implementation of every platform service.
#include "platform/platform.h"

#include <string>

namespace qb::linux_os {

// `stateFolder` keeps the record of frozen processes; processes a crashed earlier run left frozen there
// are released here. An empty folder keeps no record.
Platform MakeLinuxPlatform(const std::string& stateFolder);

// $XDG_STATE_HOME/Quillbrook (default ~/.local/state/Quillbrook), created when missing; empty when it
// cannot be made.
std::string DefaultStateFolder();

} // namespace qb::linux_os
