#include "platform/linux/process_terminator_linux.h"

#include "platform/linux/thread_control_linux.h"
#include "platform/unique_fd.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qb::linux_os {

LinuxProcessTerminator::LinuxProcessTerminator(std::string procRoot) : m_procRoot(std::move(procRoot)) {}

bool LinuxProcessTerminator::Terminate(uint32_t pid, uint64_t startTime)
{
    // Ending ourselves from a list row would skip releasing the programs we froze.
    if (pid == 0 || pid == static_cast<uint32_t>(::getpid()))
        return false;
    UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!pidfd.Valid())
        return false;
    if (ProcessStartTime(m_procRoot, pid) != startTime)
        return false;
    if (::syscall(SYS_pidfd_send_signal, pidfd.Get(), SIGTERM, nullptr, 0) != 0)
        return false;
    // A stopped process would only act on SIGTERM after a continue; one that handles the signal itself
    // must run to do so. A process already gone by now makes this fail harmlessly.
    (void)::syscall(SYS_pidfd_send_signal, pidfd.Get(), SIGCONT, nullptr, 0);
    return true;
}

} // namespace qb::linux_os
