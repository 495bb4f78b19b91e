#pragma once
// The clock and the one pending timer call that paced start-up steps run on.
#include <QTimer>

#include <cstdint>
#include <functional>

namespace qb {

// Tests drive a fake of this by hand; TimerStepClock is the real one.
class StepClock {
public:
    virtual ~StepClock() = default;
    // Milliseconds of a monotonic clock that counts from boot, as the system's uptime does.
    virtual int64_t NowMs() const = 0;
    // Calls `callback` once, `ms` from now (0: at the next turn of the event loop), replacing a call
    // that is still pending.
    virtual void CallAfter(int64_t ms, std::function<void()> callback) = 0;
    // Drops the pending call, if any.
    virtual void Cancel() = 0;
};

// A monotonic clock and a single-shot QTimer. UI thread only.
class TimerStepClock final : public StepClock {
public:
    TimerStepClock();
    int64_t NowMs() const override;
    void CallAfter(int64_t ms, std::function<void()> callback) override;
    void Cancel() override;

private:
    QTimer m_timer;
    std::function<void()> m_callback;
};

} // namespace qb
