#include "fakes/fake_step_clock.h"
#include "shell/loading_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace qb {
namespace {

using Log = std::vector<std::string>;

// Every progress line and step as "time text", in order.
class LoadingSequenceTest : public ::testing::Test {
protected:
    test::FakeStepClock clock;
    Log log;
    bool online = true;
    bool proxy = true;
    int64_t loadTakes = 0;

    void Note(const std::string& what) { log.push_back(std::to_string(clock.now) + " " + what); }

    std::unique_ptr<LoadingSequence> Start(int64_t at)
    {
        clock.now = at;
        LoadingSteps steps;
        steps.LoadMainWindow = [this] {
            Note("load");
            clock.now += loadTakes;
        };
        steps.IsOnline = [this] {
            Note("online?");
            return online;
        };
        steps.UpdatePrograms = [this] { Note("programs"); };
        steps.IsProxy = [this] {
            Note("proxy?");
            return proxy;
        };
        steps.ShowMainWindow = [this] { Note("show"); };
        steps.RefreshList = [this] { Note("refresh"); };
        auto sequence = std::make_unique<LoadingSequence>(
            clock, steps, [this](const QString& text) { Note(text.toStdString()); },
            [this] { Note("finished"); });
        sequence->Start();
        return sequence;
    }
};

TEST_F(LoadingSequenceTest, EachLineHoldsUntilItsSecondSinceTheStart)
{
    proxy = false;
    auto sequence = Start(10000);
    EXPECT_EQ(sequence->StartTime(), 10);
    clock.AdvanceTo(10499);
    EXPECT_TRUE(log.empty());
    clock.AdvanceTo(20000);
    const Log expected = {
        "10500 Loading... GUI",
        "10500 load",
        "11001 Loading... Checking connections", // "more than one second": 11000 is not yet
        "12001 online?",
        "12001 Connections online",
        "13001 Loading... Programs list",
        "13001 programs",
        "14001 proxy?",
        "14001 Loading... Proxy: not found",
        "15001 show",
        "15001 refresh",
        "15001 finished",
    };
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(sequence->Finished());
}

TEST_F(LoadingSequenceTest, OfflineWithAProxyPicksTheOtherLines)
{
    online = false;
    auto sequence = Start(0);
    clock.Advance(10000);
    EXPECT_NE(std::find(log.begin(), log.end(), "2001 Connections offline"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "4001 Loading... Proxy: Found"), log.end());
}

TEST_F(LoadingSequenceTest, ALateStartOrASlowMainWindowShortensTheWaitsAfterIt)
{
    // The start time drops its fraction: step 1 ends after its second has passed, step 2 follows at once.
    auto sequence = Start(10700);
    clock.AdvanceTo(11200);
    EXPECT_EQ(log, (Log{"11200 Loading... GUI", "11200 load", "11200 Loading... Checking connections"}));
    clock.AdvanceTo(20000);
    EXPECT_EQ(log.back(), "15001 finished");

    sequence.reset();
    log.clear();
    loadTakes = 2500;
    sequence = Start(10000);
    clock.AdvanceTo(13000);
    // "Checking connections" is replaced at once by the online result.
    EXPECT_EQ(log, (Log{"10500 Loading... GUI", "10500 load", "13000 Loading... Checking connections",
                        "13000 online?", "13000 Connections online"}));
    clock.AdvanceTo(20000);
    EXPECT_EQ(log.back(), "15001 finished");
}

TEST_F(LoadingSequenceTest, RunsOnceHoweverOftenItIsStartedAndDestroyingItCancelsTheWait)
{
    auto sequence = Start(0);
    clock.Advance(3000);
    sequence->Start();
    clock.Advance(60000);
    const auto count = [&](const char* end) {
        return std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.ends_with(end); });
    };
    EXPECT_EQ(count(" load"), 1);
    EXPECT_EQ(count(" show"), 1);
    EXPECT_EQ(count(" finished"), 1);
    EXPECT_FALSE(clock.Pending());

    sequence.reset();
    sequence = Start(0);
    clock.Advance(1500);
    ASSERT_TRUE(clock.Pending());
    sequence.reset();
    EXPECT_FALSE(clock.Pending());
}

TEST_F(LoadingSequenceTest, EmptyStepsAreSkippedAndChecksReadFalse)
{
    std::vector<std::string> lines;
    LoadingSequence sequence(
        clock, LoadingSteps{}, [&](const QString& text) { lines.push_back(text.toStdString()); }, nullptr);
    sequence.Start();
    clock.Advance(10000);
    EXPECT_EQ(lines, (std::vector<std::string>{"Loading... GUI", "Loading... Checking connections",
                                               "Connections offline", "Loading... Programs list",
                                               "Loading... Proxy: not found"}));
    EXPECT_TRUE(sequence.Finished());
}

} // namespace
} // namespace qb
