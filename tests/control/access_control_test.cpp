#include "control/control_world.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

class AccessControlTest : public ::testing::Test, protected test::ControlWorld {};

enum class Rule { None, Allow, Block };

struct DecisionCase {
    Rule rule;
    bool firewall;
    bool close;
    int blocks;
    bool frozenAndPrompted;
};

class DecisionTableTest : public AccessControlTest, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(DecisionTableTest, OneSightingCountsClosesOrFreezesAsTheTableSays)
{
    const DecisionCase& c = GetParam();
    if (c.rule != Rule::None)
        AddRule("/usr/bin/curl", c.rule == Rule::Allow ? 1 : 0);
    access.SetFirewallEnabled(c.firewall);
    Connect(3, 100);

    EXPECT_EQ(access.CheckPrograms("/usr/bin/curl", 3), c.close);
    if (c.rule != Rule::None) {
        EXPECT_EQ(OnDisk("Attempts1"), "<absent>"); // kept in memory until the counters are flushed
        rules->FlushCounters();
        EXPECT_EQ(OnDisk({"Attempts1", "Blocks1"}),
                  QStringList({"1", c.blocks ? QString::number(c.blocks) : "<absent>"}));
    }
    EXPECT_EQ(Frozen(100), c.frozenAndPrompted);
    EXPECT_EQ(opened, (c.frozenAndPrompted ? decltype(opened){{"/usr/bin/curl", 3}} : decltype(opened){}));
    EXPECT_TRUE(source.deleted.empty()); // closing is the caller's business
}

std::string CaseName(const ::testing::TestParamInfo<DecisionCase>& info)
{
    const char* names[] = {"NoRule", "Allow", "Block"};
    return std::string(names[static_cast<int>(info.param.rule)]) +
           (info.param.firewall ? "Enabled" : "Disabled");
}

INSTANTIATE_TEST_SUITE_P(BothFirewallStates, DecisionTableTest,
                         ::testing::Values(DecisionCase{Rule::Allow, true, false, 0, false},
                                           DecisionCase{Rule::Allow, false, false, 0, false},
                                           DecisionCase{Rule::Block, true, true, 1, false},
                                           DecisionCase{Rule::Block, false, false, 1, false},
                                           DecisionCase{Rule::None, true, false, 0, true},
                                           DecisionCase{Rule::None, false, false, 0, true}),
                         CaseName);

TEST_F(AccessControlTest, EveryProcessOfAPendingProgramIsHeldSaveTheDesktopsStaleOwnersAndOwnerlessOnes)
{
    desktop.pids = {7};
    // The table's owner of slot 3 no longer holds its socket; another process does.
    threads.movedSockets = {{Connect(3, 300, "93.184.216.34", 80, 40003), 301}};
    threads.startOf[301] = 1;
    Connect(0, 100);
    Connect(1, 200);
    Connect(2, 7);
    Connect(4, 0);
    for (const int slot : {0, 1, 2, 3, 4, 1, 0})
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", static_cast<int16_t>(slot)));
    EXPECT_EQ(opened, (decltype(opened){{"/usr/bin/curl", 0}}));
    EXPECT_EQ(threads.holds, (std::map<ProcessKey, int>{{{100, 1100}, 1}, {{200, 1200}, 1}}));

    access.EndPending("/usr/bin/curl");
    EXPECT_TRUE(threads.holds == (std::map<ProcessKey, int>{{{100, 1100}, 0}, {{200, 1200}, 0}}));
}

TEST_F(AccessControlTest, WhileAGrabIsActiveThePromptOpensAndTheFreezeWaitsForItsEndUnlessAnsweredFirst)
{
    grabs.state = GrabState::Grabbed;
    Connect(0, 100);
    Connect(1, 200);
    access.CheckPrograms("/usr/bin/curl", 0);
    access.CheckPrograms("/usr/bin/wget", 1);
    EXPECT_EQ(opened.size(), 2u);
    test::RunEvents(std::chrono::milliseconds(3 * AccessControl::kGrabRetryMs));
    EXPECT_FALSE(Frozen(100) || Frozen(200));
    access.EndPending("/usr/bin/wget");
    grabs.state = GrabState::Free;
    EXPECT_TRUE(test::WaitUntil([&] { return Frozen(100); }, std::chrono::seconds(5)));
    EXPECT_FALSE(Frozen(200));
}

TEST_F(AccessControlTest, AnIndexOutsideTheSlotsDecidesNothingWhileRuleZeroCountsLikeAnyOther)
{
    Store("Path0", "/usr/bin/zero"); // as a delete of rule 0's predecessor leaves it
    rules->UpdatePrograms();
    for (int16_t index : {int16_t(-1), int16_t(2001), int16_t(32767)}) {
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", index)) << index;
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/zero", index));
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(rules->Rule(0).Attempts, 0);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/ZERO", 0)); // another program: prompted
    EXPECT_TRUE(access.CheckPrograms("/usr/bin/zero", 0));
    EXPECT_EQ(rules->Rule(0).Blocks, 1);
}

TEST_F(AccessControlTest, EachUnknownPathIsPendingByteForByteInTheOrderSeenUntilItEndsOnce)
{
    Connect(0, 100);
    Connect(1, 200);
    Connect(2, 300);
    freezer.FreezeProcess(100); // someone else's hold, which no end of a prompt may take
    access.CheckPrograms("/a", 0);
    access.CheckPrograms("/A", 1); // another file on Linux: its own prompt
    access.CheckPrograms("/a", 0); // already pending: neither prompted nor frozen again
    // As text, "\1/a\1\1/A\1" contains this path between two 1s; as a path it is a third program.
    const std::string joined = "/a\x01\x01/A";
    EXPECT_FALSE(access.IsPending(joined));
    access.CheckPrograms(joined, 2);
    EXPECT_EQ(opened.size(), 3u);
    access.EndPending(joined);
    EXPECT_EQ(access.CurrentProcessing(), QString("\x01/a\x01\x01/A\x01"));
    EXPECT_EQ((std::vector{Frozen(100), Frozen(200), Frozen(300)}), (std::vector{true, true, false}));
    EXPECT_EQ(threads.HoldsOn(100), 2);
    access.EndPending("/a");
    access.EndPending("/a");
    EXPECT_EQ(threads.HoldsOn(100), 1);
}

TEST_F(AccessControlTest, TheStatusDisplayShowsBothSwitchesAndRedrawsOnlyOnAChange)
{
    std::vector<StatusDisplay> emitted;
    QObject::connect(&access, &AccessControl::StatusDisplayChanged,
                     [&emitted](const StatusDisplay& shown) { emitted.push_back(shown); });
    access.SetBlockAll(true);
    access.Timer4();
    access.SetBlockAll(true);
    EXPECT_EQ(emitted, std::vector<StatusDisplay>({{1, 1, "Block all programs: On", "Firewall enabled"}}));
}

// Leaving its own process and ended ones alone is pinned against the kernel by the integration tests.
TEST_F(AccessControlTest, HoldsAreCountedPerProcessAndEndWithItSoReusedPidsAndThreadIdsFindNoStaleCount)
{
    Connect(0, 100);
    threads.threadOf[101] = 100;
    freezer.ReleaseProcess(100); // a stray release banks no resume
    freezer.FreezeProcess(100);
    freezer.SuspendThreadById(101); // the thread's process: a second hold
    EXPECT_EQ(threads.HoldsOn(100), 2);
    freezer.ResumeThreadById(101);
    std::vector<ThreadEntry> list;
    EXPECT_EQ(freezer.SnapshotThreads(list, 100), 1); // the index of the last thread
    // The thread ends and its id comes back in another process: resuming it reaches no count.
    threads.threadOf[101] = threads.startOf[200] = 200;
    freezer.ResumeThreadById(101);
    EXPECT_EQ(threads.HoldsOn(100), 1);

    // The frozen program is pending; its process exits and a new one of it takes the same pid.
    access.CheckPrograms("/a", 0);
    threads.startOf[100] = 9;
    EXPECT_FALSE(Frozen(100));
    access.CheckPrograms("/a", 0);
    EXPECT_TRUE(Frozen(100));
    access.EndPending("/a");
    EXPECT_FALSE(Frozen(100));
    threads.startOf.erase(100);
    // An empty listing leaves one empty entry.
    EXPECT_TRUE(freezer.SnapshotThreads(list, 100) == -1 && list.size() == 1u);
}

} // namespace
} // namespace qb
