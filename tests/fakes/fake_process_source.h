#pragma once
#include "platform/process_source.h"

#include <map>

namespace qb::test {

// Processes in listing order; a pid without a path cannot be opened.
struct FakeProcessSource final : ProcessSource {
    std::vector<uint32_t> order;
    std::map<uint32_t, std::string> paths;
    std::map<uint32_t, uint64_t> startTimes; // a pid without one reads as ended
    bool failList = false;
    int pathLookups = 0;

    void Add(uint32_t pid, std::optional<std::string> path)
    {
        order.push_back(pid);
        if (path)
            paths[pid] = *path;
    }
    std::optional<std::vector<uint32_t>> ListProcesses() override
    {
        return failList ? std::nullopt : std::optional(order);
    }
    std::optional<std::string> ExecutablePath(uint32_t pid) override
    {
        ++pathLookups;
        return paths.contains(pid) ? std::optional(paths.at(pid)) : std::nullopt;
    }
    std::optional<uint64_t> StartTime(uint32_t pid) override
    {
        return startTimes.contains(pid) ? std::optional(startTimes.at(pid)) : std::nullopt;
    }
};

} // namespace qb::test
