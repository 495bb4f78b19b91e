#pragma once
// A clock that stands still until the test moves it, and fires the pending call when its time comes.
#include "shell/step_clock.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace qb::test {

class FakeStepClock final : public StepClock {
public:
    int64_t now = 0;

    int64_t NowMs() const override { return now; }
    void CallAfter(int64_t ms, std::function<void()> callback) override
    {
        m_due = now + ms;
        m_callback = std::move(callback);
    }
    void Cancel() override
    {
        m_due.reset();
        m_callback = nullptr;
    }

    bool Pending() const { return m_due.has_value(); }

    // Moves the clock to `time`, firing every call that falls due on the way at its own time.
    void AdvanceTo(int64_t time)
    {
        while (m_due && *m_due <= time) {
            now = std::max(now, *m_due);
            m_due.reset();
            std::function<void()> callback = std::exchange(m_callback, nullptr);
            callback();
        }
        now = std::max(now, time);
    }
    void Advance(int64_t ms) { AdvanceTo(now + ms); }

private:
    std::optional<int64_t> m_due;
    std::function<void()> m_callback;
};

} // namespace qb::test
