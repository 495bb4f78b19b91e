#pragma once
// Helpers for tests that touch the network for real. Every such test moves itself into a network
// namespace of its own first, so the only sockets it can see, delete or whose owners it can freeze are
// those of processes it started. A test that cannot do so is skipped, never run against the host.
#include <sys/types.h>

#include <functional>
#include <string>

namespace qb::test {

// Moves the calling thread (the test's main thread) into a new network namespace with "lo" up, and checks
// that it holds no TCP socket. Returns false with a reason when that is not possible (not root, no
// namespaces). Single-threaded callers only.
[[nodiscard]] bool EnterFreshNetNamespace(std::string* why);
// For benchmarks holding thousands of sockets: the open-file limit raised to its hard limit.
void RaiseOpenFileLimit();

// Adds a veth pair with both ends inside the current namespace, up, and an address on one end, so that
// the namespace counts as online, as a LAN without a gateway does: there is no default route. Nothing
// leaves it.
[[nodiscard]] bool MakeNamespaceOnline(std::string* why);

// One-letter state of a process from /proc/<pid>/stat ('S', 'T', …); '?' when unreadable.
char ProcessState(long pid);

// Checks `condition` every few milliseconds, without an event loop, until it holds or `timeoutMs` has
// passed; returns the condition.
bool PollUntil(const std::function<bool()>& condition, int timeoutMs);

// Sends `signal` to the process `pid`; refuses 0 and negative pids, which would reach a process group or
// every process there is (a failed fork, a reaped child, a QProcess not running).
bool Signal(pid_t pid, int signal);

// A forked child running `body`; killed with SIGKILL and reaped when the object goes away.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<void()>& body);
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t Pid() const { return m_pid; }
    char State() const { return ProcessState(m_pid); }
    // Polls State() until it equals `state` or `timeoutMs` has passed.
    bool WaitForState(char state, int timeoutMs) const
    {
        return PollUntil([&] { return State() == state; }, timeoutMs);
    }
    // True while the child has not exited; one that has is reaped and forgotten, so never signalled later.
    bool Alive();
    // The wait status of a child Alive() found ended.
    int Status() const { return m_status; }
    // Kills and reaps the child now.
    void Kill();

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// Runs a command line (through /bin/sh) inside the current namespace, output discarded; true when it
// exits with 0.
bool RunCommand(const std::string& command);

} // namespace qb::test

#define QB_REQUIRE_FRESH_NAMESPACE()                                                                         \
    do {                                                                                                     \
        std::string qbWhy;                                                                                   \
        if (!::qb::test::EnterFreshNetNamespace(&qbWhy))                                                     \
            GTEST_SKIP() << "needs a private network namespace: " << qbWhy;                                  \
    } while (false)
