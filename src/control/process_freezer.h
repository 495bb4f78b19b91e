#pragma once
// Freezes a program while the user decides about it, by holding its process stopped.
#include "base/connection_record.h"
#include "platform/thread_control.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

// Holds are counted per process: a process frozen twice runs again after two releases, and one that
// exits takes its holds with it. Processes are named by key (pid and start time), so a release never
// reaches a newer process under the same pid; the pid and thread operations act on the process running
// under that id now. This program's own process is never frozen. Every failure (ended process, one the
// user may not signal) is silent. UI thread only.
class ProcessFreezer {
public:
    explicit ProcessFreezer(ThreadControl& threads);

    // Fills `threads` with the threads a fresh listing shows for `processId` and returns the index of the
    // last one, or -1 when there are none (the list then holds one empty entry).
    int32_t SnapshotThreads(std::vector<ThreadEntry>& threads, uint32_t processId);
    void FreezeProcess(uint32_t processId);
    void ReleaseProcess(uint32_t processId);
    // Freeze and release the process the thread belongs to.
    void SuspendThreadById(uint32_t threadId);
    void ResumeThreadById(uint32_t threadId);

    // The process running under `pid` now; nullopt when there is none.
    std::optional<ProcessKey> Identify(uint32_t pid);
    // The process that owns `connection`, checked against the system: its PID still names the process
    // that holds the socket. nullopt when it does not (the table's owner is stale: it is resolved again
    // at the next refresh) or the connection is gone.
    std::optional<ProcessKey> OwnerOf(const ConnectionRecord& connection);
    // False when `process` could not be frozen (gone, this program, not permitted).
    bool Freeze(const ProcessKey& process);
    void Release(const ProcessKey& process);

private:
    ThreadControl& m_threads;
};

} // namespace qb
