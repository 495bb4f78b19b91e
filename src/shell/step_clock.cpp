#include "shell/step_clock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace qb {

TimerStepClock::TimerStepClock()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // Moved out first: the callback may schedule the next call.
        std::function<void()> callback = std::exchange(m_callback, nullptr);
        if (callback)
            callback();
    });
}

int64_t TimerStepClock::NowMs() const
{
    // steady_clock is CLOCK_MONOTONIC on Linux: time since boot, like the uptime.
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TimerStepClock::CallAfter(int64_t ms, std::function<void()> callback)
{
    m_callback = std::move(callback);
    m_timer.start(static_cast<int>(std::clamp<int64_t>(ms, 0, 24 * 3600 * 1000)));
}

void TimerStepClock::Cancel()
{
    m_timer.stop();
    m_callback = nullptr;
}

} // namespace qb
