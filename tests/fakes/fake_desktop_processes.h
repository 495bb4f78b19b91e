#pragma once
#include "platform/desktop_processes.h"

namespace qb::test {

// The desktop's processes as a list; every call is counted.
class FakeDesktopProcesses final : public DesktopProcesses {
public:
    std::vector<uint32_t> pids;
    int calls = 0;

    std::vector<uint32_t> Pids() override
    {
        ++calls;
        return pids;
    }
};

} // namespace qb::test
