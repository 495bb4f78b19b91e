#include "shell/signal_exit.h"

#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace qb {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the handler, so plain ints: an atomic with a lock would not be signal-safe.
volatile std::sig_atomic_t g_writeFd = -1;
int g_readFd = -1;
std::atomic<bool> g_taken{false};
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe drops the byte: signals already waiting there will stop the program anyway.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalExit::SignalExit()
{
    if (g_taken.exchange(true))
        return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_taken = false;
        return;
    }
    g_readFd = fds[0];
    g_writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
    m_notifier = std::make_unique<QSocketNotifier>(g_readFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalExit::ReadPipe);
    m_installed = true;
}

SignalExit::~SignalExit()
{
    if (!m_installed)
        return;
    m_notifier.reset();
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    const int writeFd = g_writeFd;
    g_writeFd = -1;
    ::close(writeFd);
    ::close(g_readFd);
    g_readFd = -1;
    g_taken = false;
}

void SignalExit::ReadPipe()
{
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(g_readFd, bytes, sizeof bytes);
        if (n <= 0)
            return;
        const QPointer<SignalExit> self(this);
        for (ssize_t i = 0; i < n; ++i) {
            emit ExitRequested(bytes[i]);
            if (!self)
                return; // a receiver deleted us
        }
    }
}

} // namespace qb
