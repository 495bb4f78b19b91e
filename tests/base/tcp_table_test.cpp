#include "base/tcp_table.h"
#include "base/text_format.h"
#include "fakes/fake_tcp_table.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace qb {
namespace {

constexpr uint32_t kPort80 = 0x5000; // port 80 as the table stores it
constexpr uint32_t kLocalhost = 0x0100007f;

TcpRow Established(uint32_t pid, uint32_t localPort, uint32_t remotePort = kPort80)
{
    return TcpRow{5, TcpEndpoints::IPv4(kLocalhost, localPort, 0x0a0b0c0d, remotePort), pid};
}

// A row of `state` without a remote end (a listener), or with nothing at all.
TcpRow Unconnected(uint32_t state, uint32_t pid, uint32_t localPort)
{
    return TcpRow{state, TcpEndpoints::IPv4(localPort ? kLocalhost : 0, localPort, 0, 0), pid};
}

class TcpTableTest : public ::testing::Test {
protected:
    test::FakeTcpTable source;
    TcpTable table{source};

    void Load(std::vector<TcpRow> rows)
    {
        source.rows = std::move(rows);
        (void)table.FetchTcpTable();
        table.ConvertTcpTable();
    }
    std::vector<uint32_t> Pids(int count) const
    {
        std::vector<uint32_t> pids;
        for (int j = 0; j < count; ++j)
            pids.push_back(table.Connections[static_cast<std::size_t>(j)].PID);
        return pids;
    }
};

TEST_F(TcpTableTest, FetchReportsAChangeWhenTheRowsOrTheirCountChangeAndAFailureKeepsTheLastSnapshot)
{
    source.rows = {Established(1, 0x1000), Established(2, 0x2000)};
    EXPECT_TRUE(table.FetchTcpTable());
    EXPECT_FALSE(table.FetchTcpTable()); // the same rows again
    source.rows = {Established(3, 0x3000), Established(4, 0x4000)};
    EXPECT_TRUE(table.FetchTcpTable()); // other rows, same count: a reconnection must be seen
    source.rows.push_back(Established(5, 0x5000));
    EXPECT_TRUE(table.FetchTcpTable());

    source.result = EPERM;
    EXPECT_FALSE(table.FetchTcpTable());
    EXPECT_EQ(table.LastResult(), EPERM);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Snapshot().Row(0).pid, 3u);
    source.result = 0;
    source.rows[2].endpoints.cookie = 7; // the same endpoints, another socket
    EXPECT_TRUE(table.FetchTcpTable());
    source.rows.clear();
    EXPECT_FALSE(table.FetchTcpTable()); // an empty table triggers no refresh
    EXPECT_EQ(table.PreviousCount(), 3);
}

TEST_F(TcpTableTest, ConversionWritesEachRowToItsSlotAndEmptiesRowsWithoutEndpoints)
{
    TcpRow udp6 = Established(9, 0x3000);
    udp6.endpoints.protocol = Transport::Udp;
    udp6.endpoints.remoteAddr = IpAddress::FromIPv6("\x20\x01\x0d\xb8\0\0\0\0\0\0\0\0\0\0\0\x01");
    udp6.endpoints.interfaceIndex = 3;
    udp6.endpoints.cookie = 0x1122334455667788;
    Load({Established(7, 0x1000), Unconnected(2, 8, 0x1600), udp6});
    EXPECT_EQ(table.Connections[0].RemoteAddr, IpAddress::FromIPv4(0x0a0b0c0d));
    EXPECT_EQ(table.Connections[1].State, "2"); // a listening row is stored
    EXPECT_EQ(table.Connections[1].LocalPort, 0x1600u);
    EXPECT_EQ(table.Connections[2].Endpoints(), udp6.endpoints); // what names the socket to the kernel
    table.Connections[0].Path = "/usr/bin/old";
    table.Connections[1].Path = "/usr/bin/old";
    Load({Unconnected(5, 7, 0), Established(8, 0x1100)});
    // Without endpoints the slot no longer shows the old connection; a reused slot forgets the previous
    // owner's path; slots beyond the current rows keep their contents.
    EXPECT_EQ(Pids(3), (std::vector<uint32_t>{0, 8, 9}));
    EXPECT_EQ(table.Connections[0].State, "");
    EXPECT_EQ(table.Connections[0].Path + table.Connections[1].Path, "");
    EXPECT_EQ(table.MonitoredCount(), 1);
    // Closing a slot sends what it holds; an index outside the slots sends nothing; a refusal is silent.
    source.refuseDeletes = true;
    EXPECT_TRUE(!table.CloseConnection(2001) && !table.CloseConnection(-1) && table.CloseConnection(2));
    EXPECT_EQ(source.deleted, std::vector<TcpEndpoints>{udp6.endpoints});
}

TEST_F(TcpTableTest, OnlyTheFirst2001RowsReachTheSlotsButBlockAllDeletesEveryConnectionAndNoListener)
{
    EXPECT_EQ(table.MonitoredCount(), -1);
    std::vector<TcpRow> rows = {Unconnected(2, 8, 0x1600), Unconnected(5, 99, 0)}; // never deleted
    for (uint32_t i = 0; i < 2500; ++i)
        rows.push_back(Established(i + 1, 0x1000, i == 0 ? 80 : kPort80));
    rows.back().endpoints.cookie = 42;
    bool blockAll = false;
    table.BlockAll = [&] { return blockAll; };
    Load(rows);
    EXPECT_TRUE(source.deleted.empty()); // row 2's remote port is a raw 80: no extra delete for it
    EXPECT_EQ(table.RowCount(), 2502);
    EXPECT_EQ(table.MonitoredCount(), 2000);
    EXPECT_EQ(table.Connections[2000].PID, 1999u);
    blockAll = true;
    table.ConvertTcpTable();
    ASSERT_EQ(source.deleted.size(), 2500u);
    EXPECT_EQ(source.deleted.back(), rows.back().endpoints); // beyond the slots, by its cookie
}

TEST_F(TcpTableTest, TheSnapshotIsNotReplacedNorTheConversionNestedWhileItIsRead)
{
    source.rows = {Established(1, 0x1000), Established(2, 0x2000)};
    ASSERT_TRUE(table.FetchTcpTable());
    bool nestedFetch = false;
    table.BlockAll = [&] {
        source.rows = {Established(3, 0x3000)};
        nestedFetch = nestedFetch || table.FetchTcpTable();
        table.ConvertTcpTable(); // must not start a second pass over the slots
        return false;
    };
    table.ConvertTcpTable();
    EXPECT_FALSE(nestedFetch);
    EXPECT_EQ(source.fetches, 1);
    EXPECT_EQ(Pids(2), (std::vector<uint32_t>{1, 2}));
    table.BlockAll = nullptr;
    EXPECT_TRUE(table.FetchTcpTable()); // free again once the conversion is over
}

TEST_F(TcpTableTest, AThreadSafeSourceIsFetchedOnTheWorkerAndAnAnswerArrivingWhileTheSnapshotIsReadIsDropped)
{
    source.threadSafe = true;
    source.rows = {Established(1, 0x1000)};
    std::vector<std::optional<bool>> answers;
    const auto record = [&answers](std::optional<bool> changed) { answers.push_back(changed); };
    table.FetchTcpTableAsync(record);
    table.FetchTcpTableAsync(record); // while the first is on its way: answered by one more fetch
    EXPECT_TRUE(answers.empty() && table.FetchInFlight());
    ASSERT_TRUE(test::WaitUntil([&] { return answers.size() == 2; }, std::chrono::seconds(10)));
    EXPECT_EQ(answers, (std::vector<std::optional<bool>>{true, false}));
    EXPECT_EQ(source.fetches, 2);
    {
        TcpTable::ReadGuard reading(table);
        table.FetchTcpTableAsync(record);
        ASSERT_TRUE(test::WaitUntil([&] { return answers.size() == 3; }, std::chrono::seconds(10)));
    }
    EXPECT_EQ(answers.back(), std::nullopt);
}

TEST(AddressTextTest, AddressesAreWrittenAsRfc5952SaysWithBracketsAroundAnIPv6AddressBeforeItsPort)
{
    const std::pair<const char*, const char*> cases[] = {
        {"::", "::"},
        {"::1", "::1"},
        {"2001:0DB8::0001", "2001:db8::1"},
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"}, // a single zero group is written out
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},    // the first of two equal runs
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},          // the longest run
        {"1::", "1::"},
        {"::ffff:c000:201", "::ffff:192.0.2.1"},
        {"fe80::a:1", "fe80::a:1%2"}, // only a link-local address keeps its scope
    };
    in6_addr bytes{};
    for (const auto& [input, text] : cases) {
        ASSERT_EQ(inet_pton(AF_INET6, input, &bytes), 1);
        EXPECT_EQ(FormatAddress(IpAddress::FromIPv6(&bytes, 2)), text) << input;
    }
    EXPECT_EQ(FormatEndpoint(IpAddress::FromIPv6(&bytes), 443), "[fe80::a:1]:443");
    EXPECT_EQ(FormatEndpoint(IpAddress::FromIPv4(inet_addr("10.0.0.138")), 53, Transport::Udp),
              "10.0.0.138:53/UDP");
    EXPECT_EQ(PortText(80, Transport::Tcp), "80");
}

} // namespace
} // namespace qb
