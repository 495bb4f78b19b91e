#include "shell/step_clock.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb {
namespace {

using namespace std::chrono_literals;

TEST(TimerStepClockTest, ACallComesOnceNotBeforeItsTimeAndMayScheduleTheNext)
{
    TimerStepClock clock;
    std::vector<int64_t> calls;
    const int64_t start = clock.NowMs();
    std::function<void()> again = [&] {
        calls.push_back(clock.NowMs() - start);
        if (calls.size() < 3)
            clock.CallAfter(0, again);
    };
    clock.CallAfter(60, again);
    ASSERT_TRUE(test::WaitUntil([&] { return calls.size() == 3; }, 10000ms));
    test::RunEvents(150ms);
    ASSERT_EQ(calls.size(), 3u);
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

} // namespace
} // namespace qb
