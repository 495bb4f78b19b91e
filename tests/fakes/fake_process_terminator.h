#pragma once
#include "platform/process_terminator.h"

#include <map>
#include <vector>

namespace qb::test {

// Running processes as pid → start time; Terminate ends a process whose start time matches.
struct FakeProcessTerminator final : ProcessTerminator {
    std::map<uint32_t, uint64_t> running;
    std::vector<uint32_t> terminated;

    bool Terminate(uint32_t pid, uint64_t startTime) override
    {
        if (!running.contains(pid) || running.at(pid) != startTime)
            return false;
        running.erase(pid);
        terminated.push_back(pid);
        return true;
    }
};

} // namespace qb::test
