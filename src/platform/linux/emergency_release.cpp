#include "platform/linux/emergency_release.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>

namespace qb::linux_os {
namespace {

constexpr std::array<int, 5> kFatalSignals{SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};

// Each slot holds a pidfd + 1, so that the zero the table starts with means "free". Lock-free atomics
// are safe to read in a signal handler.
std::array<std::atomic<int>, EmergencyRelease::kCapacity> g_slots{};
std::array<struct sigaction, kFatalSignals.size()> g_previous{};
// A stack overflow leaves no stack for the handler: on the thread that installs it (the UI thread) it runs
// on one of its own; an overflow on another thread is left to the guardian.
alignas(16) char g_alternateStack[64 * 1024];

extern "C" void OnFatalSignal(int signalNumber)
{
    EmergencyRelease::ContinueAll();
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        if (kFatalSignals[i] != signalNumber)
            continue;
        struct sigaction previous = g_previous[i];
        if (previous.sa_handler == SIG_IGN)
            previous.sa_handler = SIG_DFL;
        ::sigaction(signalNumber, &previous, nullptr);
    }
    // Blocked until this handler returns; then delivered with the action just restored. A fault would
    // recur by itself, abort() and kill() would not.
    ::raise(signalNumber);
}

extern "C" void OnExit()
{
    EmergencyRelease::ContinueAll();
}

} // namespace

void EmergencyRelease::Install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        stack_t stack{};
        stack.ss_sp = g_alternateStack;
        stack.ss_size = sizeof g_alternateStack;
        ::sigaltstack(&stack, nullptr);
        struct sigaction action {};
        action.sa_handler = OnFatalSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_ONSTACK;
        for (std::size_t i = 0; i < kFatalSignals.size(); ++i)
            ::sigaction(kFatalSignals[i], &action, &g_previous[i]);
        std::atexit(OnExit);
        std::at_quick_exit(OnExit);
    });
}

bool EmergencyRelease::Add(int pidfd) noexcept
{
    for (auto& slot : g_slots) {
        int expected = 0;
        if (slot.compare_exchange_strong(expected, pidfd + 1))
            return true;
    }
    return false;
}

void EmergencyRelease::Remove(int pidfd) noexcept
{
    for (auto& slot : g_slots) {
        int expected = pidfd + 1;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

void EmergencyRelease::ContinueAll() noexcept
{
    for (const auto& slot : g_slots) {
        const int value = slot.load();
        if (value != 0)
            (void)::syscall(SYS_pidfd_send_signal, value - 1, SIGCONT, nullptr, 0);
    }
}

} // namespace qb::linux_os
