#pragma once
#include "platform/thread_control.h"

#include <map>
#include <utility>

namespace qb::test {

// Processes as pid → start time, holds counted per process as the system keeps them: a process that
// exits (or whose pid is taken by a new one) loses its holds.
struct FakeThreadControl final : ThreadControl {
    std::map<uint32_t, uint64_t> startOf;  // the process under each pid now; absent: none
    std::map<uint32_t, uint32_t> threadOf; // extra thread id → its process
    std::vector<std::pair<TcpEndpoints, uint32_t>> movedSockets; // connections now held by another pid
    std::map<ProcessKey, int> holds;
    uint32_t selfPid = 1;

    std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) override
    {
        if (!startOf.contains(processId))
            return std::nullopt;
        std::vector<ThreadEntry> entries{{processId, processId}};
        for (const auto& [tid, pid] : threadOf)
            entries.push_back({tid, pid});
        return entries;
    }
    std::optional<ProcessKey> ProcessOf(uint32_t id) override
    {
        const uint32_t pid = threadOf.contains(id) ? threadOf.at(id) : id;
        if (!startOf.contains(pid))
            return std::nullopt;
        return ProcessKey{pid, startOf.at(pid)};
    }
    std::optional<ProcessKey> HolderOf(const TcpEndpoints& connection, uint32_t pid) override
    {
        for (const auto& [moved, holder] : movedSockets) {
            if (moved == connection)
                return ProcessOf(holder);
        }
        return ProcessOf(pid);
    }
    bool Hold(const ProcessKey& process) override
    {
        if (process.pid == selfPid || ProcessOf(process.pid) != process)
            return false;
        ++holds[process];
        return true;
    }
    bool Release(const ProcessKey& process) override
    {
        if (Holds(process) == 0)
            return false;
        --holds[process];
        return true;
    }
    int Holds(const ProcessKey& process) override
    {
        return ProcessOf(process.pid) == process && holds.contains(process) ? holds.at(process) : 0;
    }
    uint32_t SelfProcessId() const override { return selfPid; }

    // Holds on the process under `pid` now.
    int HoldsOn(uint32_t pid) { return startOf.contains(pid) ? Holds({pid, startOf.at(pid)}) : 0; }
};

} // namespace qb::test
