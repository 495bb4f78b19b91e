#include "shell/step_clock.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb {
namespace {

using namespace std::chrono_literals;

TEST(TimerStepClockTest, ACallComesOnceAndNotBeforeItsTime)
{
    TimerStepClock clock;
    std::vector<int64_t> calls;
    const int64_t start = clock.NowMs();
    clock.CallAfter(60, [&] { calls.push_back(clock.NowMs() - start); });
    ASSERT_TRUE(test::WaitUntil([&] { return !calls.empty(); }, 2000ms));
    test::RunEvents(150ms);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GE(calls[0], 60);
}

TEST(TimerStepClockTest, ANewCallReplacesThePendingOneAndCancelDropsIt)
{
    TimerStepClock clock;
    std::vector<char> calls;
    clock.CallAfter(30, [&] { calls.push_back('a'); });
    clock.CallAfter(40, [&] { calls.push_back('b'); });
    test::RunEvents(200ms);
    clock.CallAfter(20, [&] { calls.push_back('c'); });
    clock.Cancel();
    test::RunEvents(150ms);
    EXPECT_EQ(calls, std::vector<char>{'b'});
}

TEST(TimerStepClockTest, ACallMayScheduleTheNext)
{
    TimerStepClock clock;
    int runs = 0;
    std::function<void()> again = [&] {
        if (++runs < 3)
            clock.CallAfter(0, again);
    };
    clock.CallAfter(0, again);
    EXPECT_TRUE(test::WaitUntil([&] { return runs == 3; }, 2000ms));
}

} // namespace
} // namespace qb
