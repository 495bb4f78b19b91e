#include "control/control_world.h"
#include "fakes/fake_process_source.h"
#include "monitor/owner_resolver.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::ControlWorld;

class AccessControlTest : public ::testing::Test, protected ControlWorld {};

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
        EXPECT_EQ(rules->Rule(1).Attempts, 1);
        EXPECT_EQ(rules->Rule(1).Blocks, c.blocks);
        EXPECT_EQ(OnDisk("Attempts1"), "<absent>"); // written once the refresh ends
        access.RefreshFinished();
        EXPECT_EQ(OnDisk("Attempts1"), "1");
        EXPECT_EQ(OnDisk("Blocks1"), c.blocks ? QString::number(c.blocks) : "<absent>");
    }
    EXPECT_EQ(Frozen(100), c.frozenAndPrompted);
    EXPECT_EQ(access.IsPending("/usr/bin/curl"), c.frozenAndPrompted);
    ASSERT_EQ(opened.size(), c.frozenAndPrompted ? 1u : 0u);
    if (c.frozenAndPrompted) {
        EXPECT_EQ(opened[0], std::make_pair(std::string("/usr/bin/curl"), int16_t(3)));
    }
    EXPECT_TRUE(source.deleted.empty()); // closing is the caller's business
}

INSTANTIATE_TEST_SUITE_P(BothFirewallStates, DecisionTableTest,
                         ::testing::Values(DecisionCase{Rule::Allow, true, false, 0, false},
                                           DecisionCase{Rule::Allow, false, false, 0, false},
                                           DecisionCase{Rule::Block, true, true, 1, false},
                                           DecisionCase{Rule::Block, false, false, 1, false},
                                           DecisionCase{Rule::None, true, false, 0, true},
                                           DecisionCase{Rule::None, false, false, 0, true}));

TEST_F(AccessControlTest, RulesMatchWithoutRegardToCaseButPendingPathsOnlyExactly)
{
    AddRule("/opt/Tool", 0);
    Connect(0, 100);
    EXPECT_TRUE(access.CheckPrograms("/OPT/TOOL", 0));
    EXPECT_TRUE(access.CheckPrograms("C:\\PROGRAM FILES\\internet explorer\\IEXPLORE.EXE", 0));
    EXPECT_EQ(rules->Rule(0).Blocks, 1); // the default rule zero counts like any other

    Connect(1, 200);
    Connect(2, 300);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/App", 1));
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/app", 2)); // another file on Linux: its own prompt
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(Frozen(200));
    EXPECT_TRUE(Frozen(300));
}

TEST_F(AccessControlTest, EachUnknownProgramIsPromptedAndFrozenOnceInTheOrderSeen)
{
    Connect(0, 100);
    Connect(1, 100, "1.1.1.1", 443, 40001);
    Connect(2, 200);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/b", 0));
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/b", 1));
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/a", 2));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].first, "/usr/bin/a");
    EXPECT_EQ(SuspendCount(100), 1);
    EXPECT_EQ(access.CurrentProcessing(), QString("\x01/usr/bin/b\x01\x01/usr/bin/a\x01"));
}

TEST_F(AccessControlTest, APathMadeOfOtherEntriesAndTheCharacterOneIsAProgramOfItsOwn)
{
    Connect(0, 100);
    Connect(1, 200);
    Connect(2, 300);
    access.CheckPrograms("/a", 0);
    access.CheckPrograms("/b", 1);
    const QString before = access.CurrentProcessing();
    // As text, "\1/a\1\1/b\1" contains this path between two 1s; as a path it is a third program.
    const std::string joined = std::string("/a\x01\x01/b");
    EXPECT_FALSE(access.IsPending(joined));
    access.CheckPrograms(joined, 2);
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_TRUE(Frozen(300));

    access.EndPending(joined, 300);
    EXPECT_FALSE(Frozen(300));
    EXPECT_EQ(access.CurrentProcessing(), before);
    EXPECT_TRUE(access.IsPending("/a"));
    EXPECT_TRUE(access.IsPending("/b"));
    EXPECT_TRUE(Frozen(100));
}

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
    EXPECT_TRUE(access.IsPending("/usr/bin/Xorg"));

    access.EndPending("/usr/bin/Xorg", 100);
    EXPECT_FALSE(access.IsPending("/usr/bin/Xorg"));
    EXPECT_EQ(SuspendCount(100), 0);
}

TEST_F(AccessControlTest, AnIndexOutsideTheSlotsDecidesNothing)
{
    for (int16_t index : {int16_t(-1), int16_t(2001), int16_t(32767)}) {
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", index)) << index;
        EXPECT_FALSE(access.CheckPrograms("c:\\Program Files\\Internet Explorer\\iexplore.exe", index));
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(rules->Rule(0).Attempts, 0);
}

TEST_F(AccessControlTest, EndingAPendingStateReleasesOnlyTheProcessFrozenForItAndOnlyOnce)
{
    Connect(0, 100);
    access.CheckPrograms("/usr/bin/curl", 0);
    access.EndPending("/usr/bin/curl", 999); // not the process frozen for it
    EXPECT_TRUE(Frozen(100));
    EXPECT_FALSE(access.IsPending("/usr/bin/curl"));

    access.CheckPrograms("/usr/bin/curl", 0);
    EXPECT_EQ(SuspendCount(100), 2);
    access.EndPending("/usr/bin/curl", 100);
    access.EndPending("/usr/bin/curl", 100);
    EXPECT_EQ(SuspendCount(100), 1);
}

// The whole road of a refresh: conversion (block-all), owner resolution and the decision.
TEST_F(AccessControlTest, BlockAllClosesEveryConnectionWhileTheDecisionStillCountsAndPrompts)
{
    AddRule("/usr/bin/allowed", 1);
    test::FakeProcessSource processes;
    processes.Add(100, "/usr/bin/allowed");
    processes.Add(200, "/usr/bin/unknown");
    Connect(0, 100); // the threads to freeze; the slots are filled by the conversion
    Connect(1, 200);
    const ConnectionRecord a = test::Record(100, "1.1.1.1", 443, 40000);
    const ConnectionRecord b = test::Record(200, "8.8.8.8", 53, 40001);
    source.rows = {{5, a.LocalAddr, a.LocalPort, a.RemoteAddr, a.RemotePort, 100},
                   {5, b.LocalAddr, b.LocalPort, b.RemoteAddr, b.RemotePort, 200}};
    table.BlockAll = [this] { return access.Pub_BlockAll(); };
    OwnerResolver resolver(table, processes);
    resolver.CheckPrograms = [this](const std::string& path, int16_t index) {
        return access.CheckPrograms(path, index);
    };
    access.SetFirewallEnabled(false);
    access.SetBlockAll(true);

    ASSERT_TRUE(table.FetchTcpTable());
    table.ConvertTcpTable();
    resolver.ResolveOwners();
    access.RefreshFinished();

    EXPECT_EQ(source.deleted, (std::vector<TcpEndpoints>{test::EndpointsOf(a), test::EndpointsOf(b)}));
    EXPECT_EQ(OnDisk("Attempts1"), "1");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, "/usr/bin/unknown");
    EXPECT_TRUE(Frozen(200));
    EXPECT_FALSE(Frozen(100));
}

TEST_F(AccessControlTest, TheStatusDisplayShowsBothSwitchesAndRedrawsOnlyOnAChange)
{
    EXPECT_EQ(access.Display(), (StatusDisplay{0, 1, "Block all programs: Off", "Firewall enabled"}));
    std::vector<StatusDisplay> emitted;
    QObject::connect(&access, &AccessControl::StatusDisplayChanged,
                     [&emitted](const StatusDisplay& shown) { emitted.push_back(shown); });
    access.SetBlockAll(true);
    EXPECT_EQ(access.ToggleFirewall(), "Enable Firewall");
    const StatusDisplay both{1, 0, "Block all programs: On", "Firewall disabled"};
    EXPECT_EQ(access.Display(), both);
    EXPECT_EQ(emitted,
              (std::vector<StatusDisplay>{{1, 1, "Block all programs: On", "Firewall enabled"}, both}));
    access.Timer4();
    access.SetFirewallEnabled(false);
    EXPECT_EQ(emitted.size(), 2u); // nothing changed, nothing to redraw
}

} // namespace
} // namespace qb
