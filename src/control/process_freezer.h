#pragma once
// Freezes a program while the user decides about it, by suspending every thread of its process.
#include "platform/thread_control.h"

#include <cstdint>
#include <vector>

namespace qb {

// Suspension is counted: a process frozen twice runs again after two releases. The freezer keeps no
// record of what it froze; callers balance freeze and release. This program's own process is never
// frozen. Every failure (ended process, threads the user may not signal) is silent.
// UI thread only.
class ProcessFreezer {
public:
    explicit ProcessFreezer(ThreadControl& threads);

    // Fills `threads` with the threads a fresh listing shows for `processId` and returns the index of the
    // last one, or -1 when there are none (the list then holds one empty entry).
    int32_t SnapshotThreads(std::vector<ThreadEntry>& threads, uint32_t processId);
    void FreezeProcess(uint32_t processId);
    void ReleaseProcess(uint32_t processId);
    void SuspendThreadById(uint32_t threadId);
    void ResumeThreadById(uint32_t threadId);

private:
    template <typename Action> void ForEachThreadOf(uint32_t processId, Action action);

    ThreadControl& m_threads;
    std::vector<ThreadEntry> m_list; // refilled by every freeze and release
};

} // namespace qb
