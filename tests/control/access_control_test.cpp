#include "control/control_world.h"

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

INSTANTIATE_TEST_SUITE_P(BothFirewallStates, DecisionTableTest,
                         ::testing::Values(DecisionCase{Rule::Allow, true, false, 0, false},
                                           DecisionCase{Rule::Allow, false, false, 0, false},
                                           DecisionCase{Rule::Block, true, true, 1, false},
                                           DecisionCase{Rule::Block, false, false, 1, false},
                                           DecisionCase{Rule::None, true, false, 0, true},
                                           DecisionCase{Rule::None, false, false, 0, true}));

TEST_F(AccessControlTest, TheDesktopsProcessesAndOwnerlessConnectionsArePromptedButNeverFrozen)
{
    desktop.pids = {7, 100};
    Connect(0, 100);
    Connect(1, 0);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/Xorg", 0));
    access.CheckPrograms("/usr/bin/ghost", 1);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(SuspendCount(100), 0);
    EXPECT_EQ(SuspendCount(0), 0);
}

TEST_F(AccessControlTest, AnIndexOutsideTheSlotsDecidesNothingWhileRuleZeroCountsLikeAnyOther)
{
    for (int16_t index : {int16_t(-1), int16_t(2001), int16_t(32767)}) {
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", index)) << index;
        EXPECT_FALSE(access.CheckPrograms(test::kIePath, index));
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(rules->Rule(0).Attempts, 0);
    EXPECT_TRUE(access.CheckPrograms("C:\\PROGRAM FILES\\internet explorer\\IEXPLORE.EXE", 0));
    EXPECT_EQ(rules->Rule(0).Blocks, 1);
}

TEST_F(AccessControlTest, EachUnknownPathIsPendingByteForByteInTheOrderSeenUntilItsOwnProcessIsReleasedOnce)
{
    Connect(0, 100);
    Connect(1, 200);
    Connect(2, 300);
    access.CheckPrograms("/a", 0);
    access.CheckPrograms("/A", 1); // another file on Linux: its own prompt
    access.CheckPrograms("/a", 0); // already pending: neither prompted nor frozen again
    // As text, "\1/a\1\1/A\1" contains this path between two 1s; as a path it is a third program.
    const std::string joined = "/a\x01\x01/A";
    EXPECT_FALSE(access.IsPending(joined));
    access.CheckPrograms(joined, 2);
    EXPECT_EQ(opened.size(), 3u);
    access.EndPending(joined, 300);
    EXPECT_EQ(access.CurrentProcessing(), QString("\x01/a\x01\x01/A\x01"));
    EXPECT_EQ((std::vector{Frozen(100), Frozen(200), Frozen(300)}), (std::vector{true, true, false}));

    access.EndPending("/a", 999); // not the process frozen for it
    EXPECT_FALSE(access.IsPending("/a"));
    access.CheckPrograms("/a", 0);
    EXPECT_EQ(SuspendCount(100), 2);
    access.EndPending("/a", 100);
    access.EndPending("/a", 100);
    EXPECT_EQ(SuspendCount(100), 1);
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
TEST_F(AccessControlTest, FreezingSuspendsEveryThreadOfTheProcessAndNoOtherAndCountsFreezes)
{
    threads.threadsOf[100] = {100, 101, 102};
    threads.foreignThreads = {{900, 9}};
    freezer.ReleaseProcess(100); // a stray release banks no resume
    freezer.FreezeProcess(100);
    freezer.FreezeProcess(100);
    EXPECT_EQ(threads.suspendCount[101], 2);
    EXPECT_EQ(threads.suspendCount[900], 0);
    freezer.ReleaseProcess(100);
    EXPECT_FALSE(threads.Running(100));
    freezer.ReleaseProcess(100);
    EXPECT_TRUE(threads.Running(100));

    std::vector<ThreadEntry> list = {{1, 1}, {2, 2}};
    threads.foreignThreads.clear();
    EXPECT_EQ(freezer.SnapshotThreads(list, 4242), -1); // an empty listing leaves one empty entry
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].threadId, 0u);
    EXPECT_EQ(freezer.SnapshotThreads(list, 100), 2); // the index of the last thread
}

} // namespace
} // namespace qb
