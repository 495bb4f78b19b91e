#include "control/process_freezer.h"

namespace qb {

ProcessFreezer::ProcessFreezer(ThreadControl& threads) : m_threads(threads) {}

int32_t ProcessFreezer::SnapshotThreads(std::vector<ThreadEntry>& threads, uint32_t processId)
{
    threads.assign(1, ThreadEntry{});
    const auto listed = m_threads.ListThreads(processId);
    if (!listed || listed->empty())
        return -1;
    threads = *listed;
    return static_cast<int32_t>(threads.size()) - 1;
}

template <typename Action> void ProcessFreezer::ForEachThreadOf(uint32_t processId, Action action)
{
    const int32_t last = SnapshotThreads(m_list, processId);
    for (int32_t i = 0; i <= last; ++i) {
        if (m_list[static_cast<std::size_t>(i)].ownerProcessId == processId)
            action(m_list[static_cast<std::size_t>(i)].threadId);
    }
}

void ProcessFreezer::FreezeProcess(uint32_t processId)
{
    // Stopping ourselves would stop the prompt that is to release the program.
    if (processId == m_threads.SelfProcessId())
        return;
    ForEachThreadOf(processId, [this](uint32_t threadId) { SuspendThreadById(threadId); });
}

void ProcessFreezer::ReleaseProcess(uint32_t processId)
{
    ForEachThreadOf(processId, [this](uint32_t threadId) { ResumeThreadById(threadId); });
}

void ProcessFreezer::SuspendThreadById(uint32_t threadId)
{
    (void)m_threads.SuspendThread(threadId);
}

void ProcessFreezer::ResumeThreadById(uint32_t threadId)
{
    (void)m_threads.ResumeThread(threadId);
}

} // namespace qb
