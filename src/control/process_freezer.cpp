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

// Signals stop and continue whole processes: the count is kept per process, once, whatever its threads
// do meanwhile, so that it always comes back to zero.
void ProcessFreezer::FreezeProcess(uint32_t processId)
{
    if (const auto process = Identify(processId))
        Freeze(*process);
}

void ProcessFreezer::ReleaseProcess(uint32_t processId)
{
    if (const auto process = Identify(processId))
        Release(*process);
}

void ProcessFreezer::SuspendThreadById(uint32_t threadId)
{
    if (const auto process = m_threads.ProcessOf(threadId))
        Freeze(*process);
}

void ProcessFreezer::ResumeThreadById(uint32_t threadId)
{
    if (const auto process = m_threads.ProcessOf(threadId))
        Release(*process);
}

std::optional<ProcessKey> ProcessFreezer::Identify(uint32_t pid)
{
    const auto process = m_threads.ProcessOf(pid);
    // A thread id resolves to its process; a pid must name a process itself.
    if (!process || process->pid != pid)
        return std::nullopt;
    return process;
}

std::optional<ProcessKey> ProcessFreezer::OwnerOf(const ConnectionRecord& connection)
{
    if (connection.PID == 0)
        return std::nullopt;
    const auto holder = m_threads.HolderOf(connection.Endpoints(), connection.PID);
    if (!holder || holder->pid != connection.PID)
        return std::nullopt;
    return holder;
}

bool ProcessFreezer::Freeze(const ProcessKey& process)
{
    // Stopping ourselves would stop the prompt that is to release the program.
    if (process.pid == m_threads.SelfProcessId())
        return false;
    return m_threads.Hold(process);
}

void ProcessFreezer::Release(const ProcessKey& process)
{
    (void)m_threads.Release(process);
}

} // namespace qb
