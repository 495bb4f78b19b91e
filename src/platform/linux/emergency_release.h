#pragma once
// The held processes' way out when this program dies without running its destructors.
namespace qb::linux_os {

// A process-wide table of the pidfds of the processes this program holds stopped. A fatal signal
// (SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL) continues every one of them and then lets the signal take
// its course (the action it had before, normally the default one with its core dump); exit() and
// quick_exit() called from anywhere, as a library does when the display goes away, continue them too.
// Global because a signal handler can reach nothing else: the handler only reads the table and makes
// raw system calls. Any thread.
class EmergencyRelease {
public:
    static constexpr int kCapacity = 1024;

    // Installs the signal and exit handlers, once per process; later calls do nothing.
    static void Install();
    // Adds a pidfd to the table; false when it is full (the caller must then not stop that process).
    [[nodiscard]] static bool Add(int pidfd) noexcept;
    static void Remove(int pidfd) noexcept;
    // Sends SIGCONT through every pidfd in the table. Async-signal-safe.
    static void ContinueAll() noexcept;
};

} // namespace qb::linux_os
