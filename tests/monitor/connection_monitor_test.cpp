#include "fakes/fake_process_source.h"
#include "fakes/fake_process_terminator.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/connection_actions.h"
#include "monitor/connection_monitor.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <arpa/inet.h>

namespace qb {
namespace {

// A connection of `pid` from 10.0.0.2:`port`; state 5 is established, 2 listening.
TcpRow Row(uint32_t pid, uint16_t port, uint32_t state = 5, const char* remote = "10.0.0.1",
           uint16_t remotePort = 443)
{
    return TcpRow{
        state, TcpEndpoints::IPv4(inet_addr("10.0.0.2"), htons(port), inet_addr(remote), htons(remotePort)),
        pid};
}

// `row` as a UDP socket, or with `ipv6` as an IPv6 connection from ::1 to that address.
TcpRow Other(TcpRow row, const char* ipv6 = nullptr)
{
    in6_addr remote{};
    if (ipv6 == nullptr)
        row.endpoints.protocol = Transport::Udp;
    else if (inet_pton(AF_INET6, ipv6, &remote) == 1)
        row.endpoints = {Transport::Tcp, IpAddress::FromIPv6(&in6addr_loopback), row.endpoints.localPort,
                         IpAddress::FromIPv6(&remote), row.endpoints.remotePort};
    return row;
}

class ConnectionMonitorTest : public ::testing::Test {
protected:
    test::FakeTcpTable source;
    test::FakeProcessSource processes;
    TcpTable table{source};
    OwnerResolver resolver{table, processes};
    std::vector<std::vector<MonitorRow>> shown;
    QStringList tips;
    int timer2Starts = 0;
    int64_t now = 0;
    bool listShown = true;
    bool unloaded = false;
    int unloads = 0;
    ConnectionMonitor monitor{
        table, resolver, processes,
        MonitorHooks{[this] { return unloaded; }, [this] { ++unloads; },
                     [this](const QString& tip) { tips << tip; }, nullptr, [this] { ++timer2Starts; },
                     [this](const std::vector<MonitorRow>& rows) { shown.push_back(rows); },
                     [this] { return now; }, [this] { return listShown; }}};

    // The row the monitor should build from source row `slot`.
    MonitorRow Expected(int16_t slot, const char* text, const char* remote, const char* path,
                        std::optional<uint64_t> startTime) const
    {
        const TcpRow& r = source.rows[static_cast<std::size_t>(slot)];
        return {slot, text, remote, path, r.endpoints, r.pid, startTime};
    }
    std::vector<std::string> Resolve(std::vector<TcpRow> rows) // the slots' paths afterwards
    {
        source.rows = std::move(rows);
        (void)table.FetchTcpTable();
        table.ConvertTcpTable();
        resolver.ResolveOwners();
        std::vector<std::string> paths;
        for (std::size_t j = 0; j < source.rows.size(); ++j)
            paths.push_back(table.Connections[j].Path);
        return paths;
    }
};

TEST_F(ConnectionMonitorTest, RowsShowProgramPortRemoteEndpointAndTagSortedWithoutRegardToCase)
{
    processes.Add(10, "/usr/bin/zeta");
    processes.Add(11, "/usr/bin/alpha");
    processes.Add(12, "/opt/Beta");
    processes.startTimes = {{10, 500}, {11, 600}, {12, 700}};
    source.rows = {
        Row(10, 5000, 5, "93.184.216.34"),        // slot 0
        Row(11, 40000, 5, "10.0.0.1", 80),        // slot 1
        Row(11, 8080, 2, "0.0.0.0", 0),           // slot 2: listening, hidden
        Row(99, 41000, 5, "10.0.0.9", 22),        // slot 3: nobody's, "Unknown", its start unread
        Row(12, 41001, 8, "10.0.0.10"),           // slot 4
        TcpRow{5, {}, 0},                         // slot 5: no endpoints, emptied, hidden
        Other(Row(10, 5001), "2001:db8::1"),      // slot 6
        Other(Row(11, 40002, 5, "10.0.0.9", 53)), // slot 7: UDP
        Other(Row(99, 41002, 5, "10.0.0.9", 53)), // slot 8, the table's last row
    };
    monitor.NotOnline(true);

    // The tooltip counts every row of the table, the hidden ones included.
    EXPECT_EQ(tips, QStringList{"Quillbrook Personal Firewall: Monitoring 9 connections"});
    EXPECT_EQ(shown, decltype(shown){monitor.Rows()}); // in list order
    EXPECT_TRUE(source.deleted.empty());               // the decision is unset: every connection stays
    EXPECT_EQ(monitor.Rows(),
              (std::vector{Expected(1, "alpha (40000)", "10.0.0.1:80", "/usr/bin/alpha", 600),
                           Expected(7, "alpha (40002/UDP)", "10.0.0.9:53/UDP", "/usr/bin/alpha", 600),
                           Expected(4, "Beta (41001)", "10.0.0.10:443", "/opt/Beta", 700),
                           Expected(3, "Unknown", "10.0.0.9:22", "", std::nullopt),
                           Expected(8, "Unknown (UDP)", "10.0.0.9:53/UDP", "", std::nullopt),
                           Expected(0, "zeta (5000)", "93.184.216.34:443", "/usr/bin/zeta", 500),
                           Expected(6, "zeta (5001)", "[2001:db8::1]:443", "/usr/bin/zeta", 500)}));
}

TEST_F(ConnectionMonitorTest, TheTableIsFetchedWhenTheCountersMoveOrEveryTwoSecondsAndNeverOffline)
{
    processes.Add(10, "/usr/bin/curl");
    source.rows = {Row(10, 5000), Row(10, 5001)};
    source.stamp = 1;
    monitor.SetOnlineFlag(true); // start-up found it online and started Timer2 itself
    monitor.CheckForChanges();
    monitor.CheckForChanges(); // nothing moved: no fetch
    ASSERT_EQ(std::pair(source.fetches.load(), shown.size()), std::pair(1, std::size_t{1}));
    source.rows[1] = Row(10, 6000); // one closed, another opened: same count, the counters moved
    source.stamp = 2;
    monitor.CheckForChanges();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1][1].text, "curl (6000)");
    source.rows[1].state = 8; // a state change moves no counter: seen by the fetch two seconds on
    now += ConnectionMonitor::kFullFetchMs - ConnectionMonitor::kFullFetchSlackMs - 1;
    monitor.CheckForChanges();
    EXPECT_EQ(source.fetches, 2);
    now += 1;
    monitor.CheckForChanges();
    EXPECT_EQ(std::pair(source.fetches.load(), shown.size()), std::pair(3, std::size_t{3}));
    listShown = false; // nothing shows the states: only the counters lead to a fetch
    now += ConnectionMonitor::kFullFetchMs;
    monitor.CheckForChanges();
    EXPECT_EQ(source.fetches, 3);

    source.stamp.reset(); // unreadable counters: every check fetches, as going offline stops it
    source.rows.pop_back();
    monitor.NotOnline(false);
    monitor.CheckForChanges();
    monitor.RefreshList();
    EXPECT_EQ(std::pair(source.fetches.load(), shown.size()), std::pair(3, std::size_t{3}));
    EXPECT_EQ(timer2Starts, 0);
    monitor.NotOnline(true);
    EXPECT_EQ(timer2Starts, 1);
    monitor.CheckForChanges();
    EXPECT_EQ(std::pair(source.fetches.load(), shown.size()), std::pair(5, std::size_t{4}));
}

TEST_F(ConnectionMonitorTest, RequestsDuringARefreshMakeOneFollowUpAndLeaveTheSnapshotAlone)
{
    processes.Add(10, "/usr/bin/curl");
    source.rows = {Row(10, 5000)};
    int decisions = 0;
    bool sawRefreshing = false;
    // The access decision may run a nested event loop (a question box): timer ticks and the block-all
    // switch reach the monitor from inside the refresh.
    resolver.CheckPrograms = [&](const std::string&, int16_t) {
        if (++decisions == 1) {
            sawRefreshing = monitor.Refreshing();
            source.rows.push_back(Row(10, 5001));
            monitor.CheckForChanges();
            monitor.RefreshList();
            monitor.RefreshList();
        }
        return false;
    };
    monitor.NotOnline(true);
    EXPECT_TRUE(sawRefreshing);
    EXPECT_FALSE(monitor.Refreshing());
    EXPECT_EQ(source.fetches, 1); // the nested tick did not replace the snapshot being read
    ASSERT_EQ(shown.size(), 2u);  // the refresh and one follow-up
    EXPECT_EQ(shown[1].size(), 1u);
    monitor.CheckForChanges(); // the next tick sees the new count
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].size(), 2u);
}

TEST_F(ConnectionMonitorTest, AnUnloadedWindowRefreshesNothingAndARefreshInProgressEndsByUnloading)
{
    processes.Add(10, "/usr/bin/curl");
    source.rows = {Row(10, 5000)};
    resolver.CheckPrograms = [&](const std::string&, int16_t) {
        unloaded = true; // the tray's Close, from a nested event loop
        monitor.RefreshList();
        return false;
    };
    monitor.NotOnline(true);
    EXPECT_EQ(shown.size(), 1u); // finished, no follow-up
    EXPECT_EQ(unloads, 1);
    monitor.RefreshList();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(unloads, 1);
}

// Owner resolution, the refresh's middle step.
TEST_F(ConnectionMonitorTest, OwnersAreCheckedOnceEachInListingOrderAndThoseThatCannotBeReadStayUnknown)
{
    for (uint32_t pid = 100; pid < 400; ++pid)
        processes.Add(pid, "/usr/bin/idle");
    processes.Add(50, "/opt/b");
    processes.Add(30, "/opt/a");
    processes.Add(0, std::nullopt);   // no owner visible
    processes.Add(77, std::nullopt);  // another user's process, or one that ended
    processes.Add(78, std::string()); // an empty answer counts as none
    std::vector<std::pair<std::string, int16_t>> calls;
    resolver.CheckPrograms = [&calls](const std::string& path, int16_t index) {
        calls.emplace_back(path, index);
        return index == 0;
    };
    // Processes in the listing's order, each one's slots ascending, the last row included; listening
    // slots are neither named nor checked; only owners of slots are looked up.
    EXPECT_EQ(Resolve({Row(30, 4096), Row(50, 4097), Row(30, 22, 2), Row(0, 4), Row(77, 5), Row(78, 6),
                       Row(79, 7), Row(30, 4098)}),
              (std::vector<std::string>{"/opt/a", "/opt/b", "", "", "", "", "", "/opt/a"}));
    EXPECT_EQ(calls, (decltype(calls){{"/opt/b", 1}, {"/opt/a", 0}, {"/opt/a", 7}}));
    EXPECT_EQ(source.deleted, std::vector<TcpEndpoints>{source.rows[0].endpoints});
    EXPECT_EQ(processes.pathLookups, 5);
    processes.failList = true;
    EXPECT_EQ(Resolve({Row(30, 4096)}), std::vector<std::string>{""});
    EXPECT_EQ(calls.size(), 3u);
}

// Ending a real process, and refusing once its pid was reused, is pinned by the integration tests; the
// page's tests close a row's own connection and end its program.
TEST(ConnectionActionsTest, OnlyARowNamingAProcessIsAskedAboutAndOnlyAYesEndsIt)
{
    test::FakeTcpTable tcp;
    test::FakeProcessTerminator terminator;
    terminator.running = {{0, 100}, {7, 100}};
    ConnectionActions actions{tcp, terminator};
    QStringList questions;
    actions.AskYesNo = [&](const QString& question) {
        questions << question;
        return false;
    };
    using enum ConnectionActions::CloseProgramResult;
    // An Unknown row, one without an owner, one whose process start could not be read.
    for (const MonitorRow& nobody :
         {MonitorRow{0, "", "", "", {}, 7, 100}, MonitorRow{0, "", "", "/a", {}, 0, 100},
          MonitorRow{0, "", "", "/a", {}, 7, std::nullopt}})
        EXPECT_EQ(actions.CloseProgram(nobody), NoProgram);
    const MonitorRow curl{0, "", "", "/usr/bin/curl", {}, 7, 100};
    EXPECT_EQ(actions.CloseProgram(curl), Declined);
    EXPECT_EQ(questions, QStringList{"Are you sure you want to close curl ?"});
    actions.AskYesNo = nullptr; // without a question box nothing is ended
    EXPECT_EQ(actions.CloseProgram(curl), Declined);
    EXPECT_TRUE(terminator.terminated.empty());
}

} // namespace
} // namespace qb
