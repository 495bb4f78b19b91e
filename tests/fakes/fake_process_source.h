#pragma once
#include "platform/process_source.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qb::test {

// Processes in listing order; a pid without a path cannot be opened.
class FakeProcessSource final : public ProcessSource {
public:
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
        if (failList)
            return std::nullopt;
        return order;
    }
    std::optional<std::string> ExecutablePath(uint32_t pid) override
    {
        ++pathLookups;
        const auto it = paths.find(pid);
        if (it == paths.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<uint64_t> StartTime(uint32_t pid) override
    {
        const auto it = startTimes.find(pid);
        if (it == startTimes.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace qb::test
