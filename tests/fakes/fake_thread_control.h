#pragma once
#include "platform/thread_control.h"

#include <algorithm>
#include <map>

namespace qb::test {

// Threads per process with counted suspension, as the system keeps it.
struct FakeThreadControl final : ThreadControl {
    std::map<uint32_t, std::vector<uint32_t>> threadsOf; // pid → thread ids
    std::map<uint32_t, int> suspendCount;                // thread id → count
    uint32_t selfPid = 1;
    // Extra entries every listing returns, as a system-wide listing would.
    std::vector<ThreadEntry> foreignThreads;

    std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) override
    {
        std::vector<ThreadEntry> entries = foreignThreads;
        for (const uint32_t tid :
             threadsOf.contains(processId) ? threadsOf.at(processId) : std::vector<uint32_t>())
            entries.push_back({tid, processId});
        return entries.empty() ? std::nullopt : std::optional(entries);
    }
    bool SuspendThread(uint32_t threadId) override
    {
        bool exists = std::ranges::any_of(
            foreignThreads, [&](const ThreadEntry& entry) { return entry.threadId == threadId; });
        for (const auto& [pid, tids] : threadsOf)
            exists = exists || std::ranges::count(tids, threadId) > 0;
        if (exists)
            ++suspendCount[threadId];
        return exists;
    }
    bool ResumeThread(uint32_t threadId) override
    {
        if (suspendCount[threadId] == 0)
            return false;
        --suspendCount[threadId];
        return true;
    }
    uint32_t SelfProcessId() const override { return selfPid; }

    bool Running(uint32_t pid) const
    {
        return std::ranges::none_of(threadsOf.at(pid), [&](uint32_t tid) {
            return suspendCount.contains(tid) && suspendCount.at(tid) > 0;
        });
    }
};

} // namespace qb::test
