#include "fakes/fake_step_clock.h"
#include "shell/loading_sequence.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace qb {
namespace {

// Every progress line and step as "time text", in order.
class LoadingSequenceTest : public ::testing::Test {
protected:
    test::FakeStepClock clock;
    std::vector<std::string> log;
    bool online = true;
    bool proxy = true;
    int64_t loadTakes = 0;
    int finishedCount = 0;

    void Note(const std::string& what) { log.push_back(std::to_string(clock.now) + " " + what); }

    std::unique_ptr<LoadingSequence> Make()
    {
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
        return std::make_unique<LoadingSequence>(
            clock, steps, [this](const QString& text) { Note(text.toStdString()); },
            [this] {
                ++finishedCount;
                Note("finished");
            });
    }
};

TEST_F(LoadingSequenceTest, EachLineHoldsUntilItsSecondSinceTheStart)
{
    clock.now = 10000;
    auto sequence = Make();
    sequence->Start();
    EXPECT_EQ(sequence->StartTime(), 10);
    clock.AdvanceTo(10499);
    EXPECT_TRUE(log.empty());
    clock.AdvanceTo(20000);
    const std::vector<std::string> expected = {
        "10500 Loading... GUI",
        "10500 load",
        "11001 Loading... Checking connections", // "more than one second": 11000 is not yet
        "12001 online?",
        "12001 Connections online",
        "13001 Loading... Programs list",
        "13001 programs",
        "14001 proxy?",
        "14001 Loading... Proxy: Found",
        "15001 show",
        "15001 refresh",
        "15001 finished",
    };
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(sequence->Finished());
}

TEST_F(LoadingSequenceTest, TheStartTimeDropsItsFractionSoTheFirstWaitMayBeOver)
{
    clock.now = 10700;
    auto sequence = Make();
    sequence->Start();
    clock.AdvanceTo(11200);
    // Step 1 ends after its second has passed: step 2 follows at once.
    EXPECT_EQ(log, (std::vector<std::string>{"11200 Loading... GUI", "11200 load",
                                             "11200 Loading... Checking connections"}));
    clock.AdvanceTo(20000);
    EXPECT_EQ(log.back(), "15001 finished");
}

TEST_F(LoadingSequenceTest, ASlowMainWindowShortensTheWaitsAfterIt)
{
    clock.now = 10000;
    loadTakes = 2500;
    auto sequence = Make();
    sequence->Start();
    clock.AdvanceTo(13000);
    // "Checking connections" is replaced at once by the online result.
    EXPECT_EQ(log, (std::vector<std::string>{"10500 Loading... GUI", "10500 load",
                                             "13000 Loading... Checking connections", "13000 online?",
                                             "13000 Connections online"}));
    clock.AdvanceTo(20000);
    EXPECT_EQ(log.back(), "15001 finished");
}

struct Answers {
    bool online;
    bool proxy;
    const char* onlineText;
    const char* proxyText;
};

void PrintTo(const Answers& c, std::ostream* out)
{
    *out << c.onlineText << ", " << c.proxyText;
}

class LoadingSequenceAnswersTest : public LoadingSequenceTest,
                                   public ::testing::WithParamInterface<Answers> {};

TEST_P(LoadingSequenceAnswersTest, TheChecksPickTheirLines)
{
    online = GetParam().online;
    proxy = GetParam().proxy;
    auto sequence = Make();
    sequence->Start();
    clock.Advance(10000);
    EXPECT_NE(std::find(log.begin(), log.end(), "2001 " + std::string(GetParam().onlineText)), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "4001 " + std::string(GetParam().proxyText)), log.end());
}

INSTANTIATE_TEST_SUITE_P(
    States, LoadingSequenceAnswersTest,
    ::testing::Values(Answers{true, true, "Connections online", "Loading... Proxy: Found"},
                      Answers{false, false, "Connections offline", "Loading... Proxy: not found"},
                      Answers{false, true, "Connections offline", "Loading... Proxy: Found"}));

TEST_F(LoadingSequenceTest, RunsOnceHoweverOftenItIsStarted)
{
    auto sequence = Make();
    sequence->Start();
    clock.Advance(3000);
    sequence->Start();
    clock.Advance(60000);
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.ends_with(" load"); }), 1);
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.ends_with(" show"); }), 1);
    EXPECT_EQ(finishedCount, 1);
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

TEST_F(LoadingSequenceTest, DestroyingItMidwayCancelsTheWait)
{
    auto sequence = Make();
    sequence->Start();
    clock.Advance(1500);
    ASSERT_TRUE(clock.Pending());
    sequence.reset();
    EXPECT_FALSE(clock.Pending());
}

} // namespace
} // namespace qb
