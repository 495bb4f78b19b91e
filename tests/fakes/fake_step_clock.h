#pragma once
// A clock that stands still until the test moves it, and fires the pending call when its time comes.
#include "shell/step_clock.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace qb::test {

struct FakeStepClock final : StepClock {
    int64_t now = 0;

    int64_t NowMs() const override { return now; }
    void CallAfter(int64_t ms, std::function<void()> callback) override
    {
        m_pending.emplace(now + ms, std::move(callback));
    }
    void Cancel() override { m_pending.reset(); }

    bool Pending() const { return m_pending.has_value(); }

    // Moves the clock to `time`, firing every call that falls due on the way at its own time.
    void AdvanceTo(int64_t time)
    {
        while (m_pending && m_pending->first <= time) {
            auto [due, callback] = *std::exchange(m_pending, std::nullopt);
            now = std::max(now, due);
            callback();
        }
        now = std::max(now, time);
    }
    void Advance(int64_t ms) { AdvanceTo(now + ms); }

private:
    std::optional<std::pair<int64_t, std::function<void()>>> m_pending; // due time and call
};

} // namespace qb::test
