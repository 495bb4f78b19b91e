#include "base/counters_poller.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <atomic>

namespace qb {
namespace {

using std::chrono::milliseconds;

// A reading waits for the calls of all readings before it, so counts seen after a later reading are final.
struct Counters {
    std::atomic<int64_t> value = 7; // negative: cannot be read
    std::atomic<int> reads = 0;
    std::atomic<int> calls = 0;
    std::atomic<int64_t> passed = 0; // the reading of the last call, -1 for none
    CountersPoller::Moved Moved()
    {
        return [this](std::optional<uint64_t> reading) {
            passed = reading ? static_cast<int64_t>(*reading) : -1;
            ++calls;
        };
    }
    CountersPoller::Read Read()
    {
        return [this]() -> std::optional<uint64_t> {
            ++reads;
            const int64_t now = value;
            return now < 0 ? std::nullopt : std::optional<uint64_t>(now);
        };
    }
    // The calls made by the readings up to now and the next, once one more reading has begun.
    int CallsSettled()
    {
        const int target = reads + 2;
        EXPECT_TRUE(test::PollUntil([&] { return reads >= target; }, 10000));
        return calls;
    }
};

TEST(CountersPollerTest, CallsOnTheFirstReadingOnEveryChangeOnFailuresAndAfterAgainOnly)
{
    Counters counters;
    CountersPoller poller(counters.Read(), counters.Moved(), milliseconds(1), milliseconds(600000));
    poller.Start();
    ASSERT_TRUE(test::PollUntil([&] { return counters.reads >= 5; }, 10000));
    EXPECT_EQ(counters.CallsSettled(), 1);

    counters.value = 8;
    EXPECT_TRUE(test::PollUntil([&] { return counters.calls == 2; }, 10000));
    EXPECT_EQ(counters.passed, 8);
    counters.value = 7; // back to an earlier value: still a change
    EXPECT_TRUE(test::PollUntil([&] { return counters.calls == 3; }, 10000));
    EXPECT_EQ(counters.CallsSettled(), 3);

    poller.Again();
    EXPECT_TRUE(test::PollUntil([&] { return counters.calls == 4; }, 10000));
    EXPECT_EQ(counters.CallsSettled(), 4);

    counters.value = -1; // unreadable: calls go on, not only the first
    EXPECT_TRUE(test::PollUntil([&] { return counters.calls >= 9; }, 10000));
    EXPECT_EQ(counters.passed, -1);

    poller.Stop();
    EXPECT_FALSE(poller.Running());
    counters.value = 7;
    const int stopped = counters.calls; // the thread has ended
    poller.Again();
    poller.Start(); // afresh: the first reading calls again, and the one after it does not
    EXPECT_EQ(counters.CallsSettled(), stopped + 1);
    poller.Stop();
}

TEST(CountersPollerTest, QuietCountersStillCallOnceTheQuietTimeHasPassed)
{
    Counters counters;
    CountersPoller poller(counters.Read(), counters.Moved(), milliseconds(1), milliseconds(20));
    poller.Start();
    EXPECT_TRUE(test::PollUntil([&] { return counters.calls >= 3; }, 10000));
}

} // namespace
} // namespace qb
