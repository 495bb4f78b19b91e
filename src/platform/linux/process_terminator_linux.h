#pragma once
// Ends a process through a pidfd: SIGTERM, then SIGCONT so that a stopped process can act on it.
#include "platform/process_terminator.h"

#include <string>

namespace qb::linux_os {

// The pidfd pins the process while its start time is compared, so a pid reused in between is never
// signalled. Not thread-safe.
class LinuxProcessTerminator final : public ProcessTerminator {
public:
    explicit LinuxProcessTerminator(std::string procRoot = "/proc");
    bool Terminate(uint32_t pid, uint64_t startTime) override;

private:
    std::string m_procRoot;
};

} // namespace qb::linux_os
