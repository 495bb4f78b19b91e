#pragma once
#include "platform/desktop_processes.h"
#include "platform/input_grabs.h"

namespace qb::test {

// The desktop's processes as a list.
struct FakeDesktopProcesses final : DesktopProcesses {
    std::vector<uint32_t> pids;
    std::vector<uint32_t> Pids() override { return pids; }
};

// The display's grab state as a value.
struct FakeInputGrabs final : InputGrabs {
    GrabState state = GrabState::Unknown;
    GrabState Check() override { return state; }
};

} // namespace qb::test
