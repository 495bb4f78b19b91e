#pragma once
// A helper process that continues the processes this program holds stopped once this program is gone,
// however it ends: SIGKILL and the out-of-memory killer included.
#include "platform/thread_control.h"
#include "platform/unique_fd.h"

#include <sys/types.h>

#include <memory>
#include <string>

namespace qb::linux_os {

// The guardian is a forked child that learns of each held and released process through a socket pair.
// When this program's end closes, whatever the reason, it continues every process still held (checked by
// pidfd and start time) and exits. It keeps no other descriptor, drops every capability, ignores the
// terminal's and the session's signals (this program answers those itself) and never sends anything but
// SIGCONT. The child makes raw system calls only, so it may be started from a threaded process, but
// starting it before any thread exists keeps its copy of the address space small. UI thread only.
class FreezeGuardian {
public:
    // Forks the guardian and returns once it has dropped its capabilities and is listening; nullptr when
    // it cannot be started.
    static std::unique_ptr<FreezeGuardian> Start(std::string procRoot = "/proc");
    // Closes this end: the guardian continues whatever is still held and exits; it is reaped here.
    ~FreezeGuardian();
    FreezeGuardian(const FreezeGuardian&) = delete;
    FreezeGuardian& operator=(const FreezeGuardian&) = delete;

    pid_t Pid() const { return m_pid; }
    // Tells the guardian about a process held or released. False when it cannot be told (it has gone or
    // its queue is full): then the process must not be stopped.
    [[nodiscard]] bool Held(const ProcessKey& process);
    [[nodiscard]] bool Released(const ProcessKey& process);

private:
    FreezeGuardian(UniqueFd socket, pid_t pid, std::string procRoot);
    bool Send(uint32_t operation, const ProcessKey& process);

    UniqueFd m_socket;
    pid_t m_pid = -1;
    std::string m_procRoot;
};

} // namespace qb::linux_os
