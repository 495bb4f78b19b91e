#include "fakes/fake_connectivity.h"
#include "fakes/fake_process_source.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/connection_monitor.h"
#include "monitor/online_check.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <arpa/inet.h>

namespace qb {
namespace {

uint32_t Addr(const char* dotted)
{
    return ::inet_addr(dotted);
}

TcpRow Row(uint32_t state, uint32_t pid, uint16_t localPort, const char* remote, uint16_t remotePort)
{
    return TcpRow{state, Addr("10.0.0.2"), htons(localPort), Addr(remote), htons(remotePort), pid};
}

class ConnectionMonitorTest : public ::testing::Test {
protected:
    test::FakeTcpTable source;
    test::FakeProcessSource processes;
    TcpTable table{source};
    OwnerResolver resolver{table, processes};
    std::vector<std::vector<MonitorRow>> shown;
    QStringList tips;
    std::vector<bool> panel;
    int timer2Starts = 0;
    bool unloaded = false;
    int unloads = 0;
    ConnectionMonitor monitor{table, resolver, processes, Hooks()};

    MonitorHooks Hooks()
    {
        MonitorHooks hooks;
        hooks.Unloaded = [this] { return unloaded; };
        hooks.Unload = [this] { ++unloads; };
        hooks.SetTrayTip = [this](const QString& tip) { tips << tip; };
        hooks.ShowOfflinePanel = [this](bool visible) { panel.push_back(visible); };
        hooks.StartTimer2 = [this] { ++timer2Starts; };
        hooks.ShowRows = [this](const std::vector<MonitorRow>& rows) { shown.push_back(rows); };
        return hooks;
    }
    void AddProcess(uint32_t pid, const std::string& path, uint64_t startTime)
    {
        processes.Add(pid, path);
        processes.startTimes[pid] = startTime;
    }
    static std::vector<QString> Texts(const std::vector<MonitorRow>& rows)
    {
        std::vector<QString> texts;
        for (const MonitorRow& row : rows)
            texts.push_back(row.text);
        return texts;
    }
};

TEST_F(ConnectionMonitorTest, RowsShowProgramPortRemoteEndpointAndTagSortedWithoutRegardToCase)
{
    AddProcess(10, "/usr/bin/zeta", 500);
    AddProcess(11, "/usr/bin/alpha", 600);
    AddProcess(12, "/opt/Beta", 700);
    source.rows = {
        Row(5, 10, 5000, "93.184.216.34", 443), // slot 0
        Row(5, 11, 40000, "10.0.0.1", 80),      // slot 1
        Row(2, 11, 8080, "0.0.0.0", 0),         // slot 2: listening, hidden
        Row(5, 99, 41000, "10.0.0.9", 22),      // slot 3: nobody's, "Unknown"
        Row(8, 12, 41001, "10.0.0.10", 993),    // slot 4, the table's last row
        TcpRow{5, 0, 0, 0, 0, 0},               // slot 5: no endpoints, emptied, hidden
    };
    monitor.NotOnline(true);

    // The tooltip counts every row of the table, the hidden ones included.
    EXPECT_EQ(tips, QStringList{"Quillbrook Personal Firewall: Monitoring 6 connections"});
    ASSERT_EQ(shown.size(), 1u);
    const std::vector<MonitorRow>& rows = shown[0];
    EXPECT_EQ(Texts(rows), (std::vector<QString>{"alpha (40000)", "Beta (41001)", "Unknown", "zeta (5000)"}));
    const std::vector<int16_t> tags{rows[0].slot, rows[1].slot, rows[2].slot, rows[3].slot};
    EXPECT_EQ(tags, (std::vector<int16_t>{1, 4, 3, 0}));
    EXPECT_EQ(rows[2].remote, "10.0.0.9:22");
    EXPECT_EQ(rows[2].path, "");
    EXPECT_EQ(rows[2].startTime, std::nullopt); // pid 99 cannot be read
    const MonitorRow& zeta = rows[3];
    EXPECT_EQ(zeta.remote, "93.184.216.34:443");
    EXPECT_EQ(zeta.path, "/usr/bin/zeta");
    EXPECT_EQ(zeta.endpoints,
              (TcpEndpoints{Addr("10.0.0.2"), htons(5000), Addr("93.184.216.34"), htons(443)}));
    EXPECT_EQ(std::make_pair(zeta.pid, zeta.startTime), std::make_pair(10u, std::optional<uint64_t>(500)));
    EXPECT_EQ(monitor.Rows(), rows);
}

TEST_F(ConnectionMonitorTest, OfflineShowsThePanelAndFetchesNothingAndComingOnlineStartsTimer2)
{
    source.rows = {Row(5, 10, 5000, "10.0.0.1", 443)};
    monitor.SetOnlineFlag(true); // start-up found it online and started Timer2 itself
    monitor.NotOnline(true);
    monitor.NotOnline(false);
    monitor.RefreshList();
    EXPECT_EQ(timer2Starts, 0);
    EXPECT_EQ(panel, (std::vector<bool>{false, true}));
    EXPECT_EQ(source.fetches, 1);
    EXPECT_EQ(shown.size(), 1u);

    source.rows.push_back(Row(5, 10, 5001, "10.0.0.1", 443));
    monitor.NotOnline(true);
    monitor.NotOnline(true);
    EXPECT_EQ(panel.back(), false);
    EXPECT_EQ(source.fetches, 3);
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(timer2Starts, 1);
}

TEST_F(ConnectionMonitorTest, TheTimerRedrawsWhenTheTableChangesAndOnlyThen)
{
    AddProcess(10, "/usr/bin/curl", 1);
    source.rows = {Row(5, 10, 5000, "10.0.0.1", 443), Row(5, 10, 5001, "10.0.0.1", 443)};
    monitor.NotOnline(true);
    monitor.NotOnline(true); // nothing changed
    ASSERT_EQ(shown.size(), 1u);
    source.rows[1] = Row(5, 10, 6000, "10.0.0.7", 80); // one closed, another opened: same count
    monitor.NotOnline(true);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(Texts(shown[1]), (std::vector<QString>{"curl (5000)", "curl (6000)"}));
    source.rows.pop_back();
    monitor.NotOnline(true);
    EXPECT_EQ(shown.size(), 3u);
}

TEST_F(ConnectionMonitorTest, RequestsDuringARefreshMakeOneFollowUpAndLeaveTheSnapshotAlone)
{
    AddProcess(10, "/usr/bin/curl", 1);
    source.rows = {Row(5, 10, 5000, "10.0.0.1", 443)};
    int decisions = 0;
    bool sawRefreshing = false;
    // The access decision may run a nested event loop (a question box): timer ticks and the block-all
    // switch reach the monitor from inside the refresh.
    resolver.CheckPrograms = [&](const std::string&, int16_t) {
        if (++decisions == 1) {
            sawRefreshing = monitor.Refreshing();
            source.rows.push_back(Row(5, 10, 5001, "10.0.0.1", 443));
            monitor.NotOnline(true);
            monitor.RefreshList();
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

    monitor.NotOnline(true); // the next tick sees the new count
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].size(), 2u);
}

TEST_F(ConnectionMonitorTest, AnUnloadedWindowRefreshesNothingAndARefreshInProgressEndsByUnloading)
{
    AddProcess(10, "/usr/bin/curl", 1);
    source.rows = {Row(5, 10, 5000, "10.0.0.1", 443)};
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

TEST(OnlineCheckTest, OnlineFollowsTheConnectionAndProxyOnlyItsFlag)
{
    test::FakeConnectivity connectivity;
    EXPECT_FALSE(IsOnline(connectivity));
    connectivity.state = {true, ConnectedState::kLan};
    EXPECT_TRUE(IsOnline(connectivity));
    EXPECT_FALSE(IsProxy(connectivity));
    connectivity.state = {false, ConnectedState::kProxy}; // the flag counts even when offline
    EXPECT_FALSE(IsOnline(connectivity));
    EXPECT_TRUE(IsProxy(connectivity));
}

} // namespace
} // namespace qb
