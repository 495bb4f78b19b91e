#pragma once
#include "platform/thread_control.h"

#include <map>
#include <vector>

namespace qb::test {

// Threads per process with counted suspension, as the system keeps it.
class FakeThreadControl final : public ThreadControl {
public:
    std::map<uint32_t, std::vector<uint32_t>> threadsOf; // pid → thread ids
    std::map<uint32_t, int> suspendCount;                // thread id → count
    uint32_t selfPid = 1;
    // Extra entries every listing returns, as a system-wide listing would.
    std::vector<ThreadEntry> foreignThreads;

    std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) override
    {
        std::vector<ThreadEntry> entries = foreignThreads;
        if (const auto it = threadsOf.find(processId); it != threadsOf.end()) {
            for (const uint32_t tid : it->second)
                entries.push_back({tid, processId});
        }
        if (entries.empty())
            return std::nullopt;
        return entries;
    }
    bool SuspendThread(uint32_t threadId) override
    {
        if (!Exists(threadId))
            return false;
        ++suspendCount[threadId];
        return true;
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
        for (const uint32_t tid : threadsOf.at(pid)) {
            if (const auto it = suspendCount.find(tid); it != suspendCount.end() && it->second > 0)
                return false;
        }
        return true;
    }

private:
    bool Exists(uint32_t threadId) const
    {
        for (const auto& [pid, tids] : threadsOf) {
            for (const uint32_t tid : tids) {
                if (tid == threadId)
                    return true;
            }
        }
        for (const ThreadEntry& entry : foreignThreads) {
            if (entry.threadId == threadId)
                return true;
        }
        return false;
    }
};

} // namespace qb::test
