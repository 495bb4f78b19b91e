#include "base/counters_poller.h"

#include <utility>

namespace qb {

CountersPoller::CountersPoller(Read read, Moved moved, std::chrono::milliseconds interval,
                               std::chrono::milliseconds quiet)
    : m_read(std::move(read)), m_moved(std::move(moved)), m_interval(interval), m_quiet(quiet)
{
}

CountersPoller::~CountersPoller()
{
    Stop();
}

void CountersPoller::Start()
{
    if (Running())
        return;
    m_stopping = false;
    m_thread = std::thread([this] { Run(); });
}

void CountersPoller::Stop()
{
    if (!Running())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CountersPoller::Again()
{
    std::lock_guard lock(m_mutex);
    m_again = true;
}

void CountersPoller::Run()
{
    using Clock = std::chrono::steady_clock;
    std::optional<uint64_t> last;
    bool first = true;
    auto lastCall = Clock::now();
    auto next = lastCall;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        // Paced from the planned times, so that a slow reading does not stretch the interval.
        next += m_interval;
        if (m_wake.wait_until(lock, next, [this] { return m_stopping; }))
            break;
        const bool again = std::exchange(m_again, false);
        lock.unlock();
        const std::optional<uint64_t> reading = m_read();
        const auto now = Clock::now();
        if (now - next > m_interval)
            next = now; // asleep or starved: no burst of catching-up readings
        // Unreadable counters leave only fetching to tell; at the pace of a plain timer, not every reading.
        const bool unreadableDue = !reading && now - lastCall >= kUnreadableEvery * m_interval;
        if (first || again || reading != last || unreadableDue || now - lastCall >= m_quiet) {
            last = reading;
            first = false;
            lastCall = now;
            m_moved(reading);
        }
        lock.lock();
    }
}

} // namespace qb
