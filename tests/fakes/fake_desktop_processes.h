#pragma once
#include "platform/desktop_processes.h"

namespace qb::test {

// The desktop's processes as a list.
struct FakeDesktopProcesses final : DesktopProcesses {
    std::vector<uint32_t> pids;
    std::vector<uint32_t> Pids() override { return pids; }
};

} // namespace qb::test
