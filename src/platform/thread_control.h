#pragma once
// Holding processes still: counted holds per process, and who a process or a connection's owner is.
#include "platform/tcp_table_source.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

struct ThreadEntry {
    uint32_t threadId = 0;
    uint32_t ownerProcessId = 0;
};

// One process as it was seen: no later process that reuses the pid has the same start time (clock ticks
// since boot).
struct ProcessKey {
    uint32_t pid = 0;
    uint64_t startTime = 0;
    auto operator<=>(const ProcessKey&) const = default;
};

// Holds are counted per process: the first stops it, the last one released lets it run on, and a
// process that exits takes its holds with it, so a later process under the same pid starts with none.
// Nothing is ever sent to a process other than the one a key names, and never to this program.
// Failures (ended processes, processes the user may not signal) come back as false or nullopt and change
// nothing. Not thread-safe: UI thread only.
class ThreadControl {
public:
    virtual ~ThreadControl() = default;
    // Threads of `processId` (implementations may list other processes' threads too); nullopt when none
    // can be read.
    [[nodiscard]] virtual std::optional<std::vector<ThreadEntry>> ListThreads(uint32_t processId) = 0;
    // The process that thread or process id `id` belongs to now; nullopt when there is none.
    [[nodiscard]] virtual std::optional<ProcessKey> ProcessOf(uint32_t id) = 0;
    // The process that holds `connection` now, when that is `pid`'s; else the holder found afresh, which
    // may be another process; nullopt when the connection is gone or nobody visible holds it.
    [[nodiscard]] virtual std::optional<ProcessKey> HolderOf(const TcpEndpoints& connection,
                                                             uint32_t pid) = 0;
    // Adds a hold on `process`; the first one stops it. False, with no hold, when that process is gone,
    // is this program, or cannot be stopped and safely released again.
    [[nodiscard]] virtual bool Hold(const ProcessKey& process) = 0;
    // Takes one hold away; the last one lets the process run on. False when it has none.
    virtual bool Release(const ProcessKey& process) = 0;
    // Holds on `process` now (0 once it has exited).
    [[nodiscard]] virtual int Holds(const ProcessKey& process) = 0;
    // The id of the process this program runs in.
    virtual uint32_t SelfProcessId() const = 0;
};

} // namespace qb
