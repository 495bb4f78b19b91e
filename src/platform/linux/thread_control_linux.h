#pragma once
// Threads from /proc/<pid>/task; suspension by SIGSTOP/SIGCONT through a pidfd, with counts kept here.
#include "platform/thread_control.h"

#include <map>
#include <string>

namespace qb::linux_os {

// Signals stop a whole process and do not count (two SIGSTOPs and one SIGCONT leave it running), so
// the count is kept per thread here and the process is stopped while any of its threads has a count
// above 0. A stopped process keeps its TCP connections. The frozen processes are written to
// `stateFile` (pid and start time) after every change, so that a later run can release what a crashed
// one left stopped: ReleaseStale() does that, matching the start time so that a reused pid is never
// signalled. Never stops its own process. The destructor releases everything still frozen.
// Not thread-safe: UI thread only.
class LinuxThreadControl final : public ThreadControl {
public:
    // An empty `stateFile` keeps no record.
    explicit LinuxThreadControl(std::string procRoot = "/proc", std::string stateFile = {});
    ~LinuxThreadControl() override;
    LinuxThreadControl(const LinuxThreadControl&) = delete;
    LinuxThreadControl& operator=(const LinuxThreadControl&) = delete;

    std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) override;
    bool SuspendThread(uint32_t threadId) override;
    bool ResumeThread(uint32_t threadId) override;
    uint32_t SelfProcessId() const override;

    // Continues the processes a previous run recorded as frozen and still running with the same start
    // time, then empties the record. Returns how many were continued.
    int ReleaseStale();
    // Continues every process this object stopped and forgets all counts.
    void ReleaseAll();
    // Processes currently stopped by this object.
    std::vector<uint32_t> FrozenProcesses() const;

private:
    struct Frozen {
        uint64_t startTime = 0;
        std::map<uint32_t, int> threadCounts; // thread id → suspend count above 0
    };
    bool Signal(uint32_t processId, uint64_t startTime, int signal) const;
    void SaveState() const;

    std::string m_procRoot;
    std::string m_stateFile;
    std::map<uint32_t, Frozen> m_frozen; // process id → its suspended threads
};

// Field 22 of /proc/<pid>/stat (start time in clock ticks since boot); nullopt when unreadable.
std::optional<uint64_t> ProcessStartTime(const std::string& procRoot, uint32_t pid);
// The Tgid line of /proc/<tid>/status: the process a thread belongs to.
std::optional<uint32_t> ThreadGroupOf(const std::string& procRoot, uint32_t threadId);

} // namespace qb::linux_os
