#include "monitor/owner_resolver.h"

#include <charconv>
#include <unordered_map>
#include <vector>

namespace qb {
namespace {

// Empty or non-numeric text reads as 0, as the state field's readers expect.
int StateNumber(const std::string& state)
{
    int value = 0;
    std::from_chars(state.data(), state.data() + state.size(), value);
    return value;
}

} // namespace

OwnerResolver::OwnerResolver(TcpTable& table, ProcessSource& processes)
    : m_table(table), m_processes(processes)
{
}

void OwnerResolver::ResolveOwners()
{
    TcpTable::ReadGuard guard(m_table);
    // Only the processes that own a monitored slot are worth an exe look-up; grouping the slots by pid
    // first keeps the pass linear instead of processes × slots.
    std::unordered_map<uint32_t, std::vector<int16_t>> slotsOf;
    const int32_t last = m_table.MonitoredCount();
    for (int32_t j = 0; j <= last; ++j) {
        const ConnectionRecord& slot = m_table.Connections[static_cast<std::size_t>(j)];
        if (StateNumber(slot.State) != 2)
            slotsOf[slot.PID].push_back(static_cast<int16_t>(j));
    }
    if (slotsOf.empty())
        return;
    const auto pids = m_processes.ListProcesses();
    if (!pids)
        return;
    for (const uint32_t pid : *pids) {
        const auto owned = slotsOf.find(pid);
        if (owned == slotsOf.end())
            continue;
        const auto path = m_processes.ExecutablePath(pid);
        if (!path || path->empty())
            continue;
        for (const int16_t j : owned->second) {
            ConnectionRecord& slot = m_table.Connections[static_cast<std::size_t>(j)];
            slot.Path = *path;
            if (CheckPrograms && CheckPrograms(slot.Path, j))
                m_table.CloseConnection(j);
        }
    }
}

} // namespace qb
