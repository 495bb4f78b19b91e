#pragma once
// The threads of processes and counted suspension of single threads.
#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

struct ThreadEntry {
    uint32_t threadId = 0;
    uint32_t ownerProcessId = 0;
};

// Suspension is counted per thread: a thread suspended twice runs again only after two resumes, and
// resuming a thread whose count is 0 changes nothing. Failures (ended threads, processes the user may
// not signal) are reported as false and change no count. Not thread-safe: UI thread only.
class ThreadControl {
public:
    virtual ~ThreadControl() = default;
    // Threads of `processId` (implementations may list other processes' threads too); nullopt when none
    // can be read.
    [[nodiscard]] virtual std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) = 0;
    virtual bool SuspendThread(uint32_t threadId) = 0;
    virtual bool ResumeThread(uint32_t threadId) = 0;
    // The id of the process this program runs in; it is never suspended.
    virtual uint32_t SelfProcessId() const = 0;
};

} // namespace qb
