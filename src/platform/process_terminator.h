#pragma once
// Ending a program the user chose to close.
#include <cstdint>

namespace qb {

// Asks one process to end (SIGTERM) and continues it, so that a stopped (frozen) program can act on the
// request. The process is named by its pid and the start time it had when the caller saw it: a pid that
// now belongs to another process is never signalled. Never throws. UI thread only.
class ProcessTerminator {
public:
    virtual ~ProcessTerminator() = default;
    // False when the process has ended, the pid now names a different process (start time), it is this
    // program itself, or the system refuses the signal.
    [[nodiscard]] virtual bool Terminate(uint32_t pid, uint64_t startTime) = 0;
};

} // namespace qb
