#include "platform/linux/connectivity_linux.h"
#include "platform/linux/dpkg_index.h"
#include "platform/linux/interface_table_linux.h"
#include "platform/linux/sock_diag_parser.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/if.h>
#include <linux/inet_diag.h>
#include <sys/socket.h>

#include <fstream>
#include <map>
#include <tuple>

namespace qb::linux_os {
namespace {

const std::string kFixtures = std::string(QB_TEST_DATA) + "/platform/fixtures";

// The row of a socket from port 40000 to port 80 owned by pid 42, after checking that the message is
// parsed whole and refused when it is one byte short.
std::optional<TcpRow> RowOf(uint8_t family, uint8_t state, const char* source, const char* destination)
{
    inet_diag_msg message{
        .idiag_family = family,
        .idiag_state = state,
        .id = {.idiag_sport = htons(40000), .idiag_dport = htons(80), .idiag_cookie = {0x1234}},
        .idiag_inode = 98765};
    inet_pton(family, source, message.id.idiag_src);
    inet_pton(family, destination, message.id.idiag_dst);
    EXPECT_FALSE(ParseDiagMessage(&message, sizeof message - 1).has_value());
    const auto socket = ParseDiagMessage(&message, sizeof message);
    EXPECT_EQ(std::tuple(socket->inode, socket->cookie[0]), std::tuple(98765u, 0x1234u));
    return ToIpv4Row(*socket, 42);
}

TEST(SockDiagParserTest, IPv4AndIPv4MappedSocketsBecomeRowsAsStoredAndOtherIPv6SocketsDoNot)
{
    const uint32_t from = htons(40000), to = htons(80);
    const uint32_t lo1 = inet_addr("127.0.0.1"), lo2 = inet_addr("127.0.0.2");
    const std::tuple<uint8_t, uint8_t, const char*, const char*, std::optional<TcpRow>> cases[] = {
        {AF_INET, 1, "192.168.0.1", "10.0.0.138",
         TcpRow{5, inet_addr("192.168.0.1"), from, inet_addr("10.0.0.138"), to, 42}},
        {AF_INET6, 1, "::ffff:127.0.0.1", "::ffff:127.0.0.2", TcpRow{5, lo1, from, lo2, to, 42}},
        {AF_INET6, 10, "::ffff:127.0.0.1", "::", TcpRow{2, lo1, from, 0, to, 42}},
        {AF_INET6, 1, "::1", "::1", std::nullopt},
        {AF_INET6, 10, "::", "::", std::nullopt}, // a dual-stack listener on ::
        {AF_INET6, 1, "::ffff:127.0.0.1", "2001:db8::1", std::nullopt},
    };
    for (const auto& [family, state, source, destination, row] : cases)
        EXPECT_EQ(RowOf(family, state, source, destination), row) << source << " to " << destination;
}

TEST(DpkgIndexTest, FilesOfInstalledPackagesHaveTheirPackagesVersion)
{
    DpkgIndex index(kFixtures + "/dpkg");
    EXPECT_EQ(index.PackageVersion("/usr/bin/curl"), "7.88.1-10+deb12u8");
    EXPECT_EQ(index.PackageVersion("/usr/bin/ldd"), "2.36-9+deb12u4"); // arch-qualified list
    EXPECT_EQ(index.PackageVersion("/usr/bin/bash"), "5.2.15-2+b7");   // listed under /bin
    EXPECT_EQ(index.PackageVersion("/usr/sbin/ldconfig"), "2.36-9+deb12u4");
    EXPECT_EQ(index.PackageVersion("/usr/local/bin/curl"), std::nullopt);
    EXPECT_EQ(index.PackageVersion("/usr/bin/ghost"), std::nullopt); // not installed
    EXPECT_EQ(DpkgIndex("/nonexistent").PackageVersion("/usr/bin/curl"), std::nullopt);
}

TEST(DpkgIndexTest, DebianVersionsGiveTheirLeadingNumbers)
{
    using Halves = std::optional<std::pair<uint32_t, uint32_t>>;
    const std::pair<const char*, Halves> cases[] = {{"7.88.1-10+deb12u8", {{7u << 16 | 88, 1u << 16}}},
                                                    {"1:9.2p1-2+deb12u3", {{9u << 16 | 2, 0}}},
                                                    {"2.36-9", {{2u << 16 | 36, 0}}},
                                                    {"1.2.3.4.5", {{1u << 16 | 2, 3u << 16 | 4}}},
                                                    {"70000.1", {{65535u << 16 | 1, 0}}},
                                                    {"20230101", {{65535u << 16, 0}}},
                                                    {"3", {{3u << 16, 0}}},
                                                    {"git20200101", std::nullopt},
                                                    {"", std::nullopt},
                                                    {"1:", std::nullopt}};
    for (const auto& [text, halves] : cases) {
        const auto version = FileVersionFromDebianVersion(text);
        EXPECT_EQ(version ? Halves({version->mostSignificant, version->leastSignificant}) : std::nullopt,
                  halves)
            << text;
    }
}

TEST(InterfaceTableLinuxTest, ProcNetDevCountersFillTheMatchingRows)
{
    std::ifstream in(kFixtures + "/proc_net_dev.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    InterfaceTable table;
    for (const char* name : {"lo", "eth0", "wlan0"})
        table.rows.push_back(InterfaceRow{.name = name});
    ASSERT_TRUE(ApplyProcNetDev(text, table));
    const InterfaceRow& eth0 = table.rows[1];
    EXPECT_EQ(std::tuple(eth0.octetsReceived, eth0.unicastPacketsReceived, eth0.nonunicastPacketsReceived,
                         eth0.incomingErrors, eth0.discardedIncomingPackets, eth0.octetsSent,
                         eth0.outgoingErrors, eth0.discardedOutgoingPackets),
              std::tuple(123456u, 90u, 10u, 2u, 3u, 654321u, 4u, 5u));
    EXPECT_EQ(table.rows[0].octetsReceived, 5000000000u);
    EXPECT_EQ(table.rows[2].octetsReceived, 0u);
    EXPECT_FALSE(ApplyProcNetDev("garbage\n", table));
}

TEST(MibCodesTest, KernelTcpStatesDeviceTypesAndLinkStatesMapToMibCodes)
{
    const uint32_t mib[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 9, 2, 10, 4, 0}; // by kernel state, 0 to 13
    for (uint8_t kernel = 0; kernel < std::size(mib); ++kernel)
        EXPECT_EQ(MibStateFromKernel(kernel), mib[kernel]) << int(kernel);
    // Loopback, Ethernet, PPP and none.
    EXPECT_EQ((std::vector{MibInterfaceType(772), MibInterfaceType(1), MibInterfaceType(512),
                           MibInterfaceType(65534)}),
              (std::vector<uint32_t>{24, 6, 23, 1}));
    EXPECT_EQ((std::vector{MibOperationalStatus(IF_OPER_UP, 0), MibOperationalStatus(IF_OPER_DOWN, IFF_UP),
                           MibOperationalStatus(IF_OPER_UNKNOWN, IFF_UP | IFF_RUNNING),
                           MibOperationalStatus(IF_OPER_UNKNOWN, IFF_UP)}),
              (std::vector<uint32_t>{5, 2, 5, 2}));
}

TEST(ConnectivityLinuxTest, AProxyComesFromTheEnvironmentOrTheDesktopSettings)
{
    std::map<std::string, std::string> env;
    const LinuxConnectivity::GetEnv getEnv = [&](const char* name) { return env[name]; };
    EXPECT_FALSE(ProxyConfigured(getEnv, "/nonexistent"));
    const QTemporaryDir home;
    const std::string folder = home.path().toStdString();
    // ProxyType 4 means whatever the environment says.
    for (const auto& [kio, proxy] :
         {std::pair{"[Proxy Settings]\nProxyType=1\nhttpProxy=http://proxy 8080\n", true},
          {"[Proxy Settings]\nProxyType=0\n", false},
          {"[Other]\nProxyType=1\n[Proxy Settings]\nProxyType=4\n", false}}) {
        std::ofstream(folder + "/kioslaverc") << kio;
        EXPECT_EQ(ProxyConfigured(getEnv, folder), proxy) << kio;
    }
    env["HTTPS_PROXY"] = "http://proxy:3128";
    EXPECT_TRUE(ProxyConfigured(getEnv, "/nonexistent"));
}

TEST(TcpSnapshotTest, RowsRoundTripThroughTheBufferLayoutAndATruncatedBufferNeverReadsPastItsEnd)
{
    const std::vector<TcpRow> rows = {{5, 0x0100007f, 0x5000, 0x0200007f, 0x901f, 42},
                                      {2, 0, 0x1600, 0, 0, 7}};
    const TcpSnapshot snapshot = TcpSnapshot::FromRows(rows);
    ASSERT_EQ(snapshot.Bytes().size(), 4u + 2 * 24u);
    EXPECT_EQ(snapshot.StoredCount(), 2u);
    EXPECT_EQ((std::vector{snapshot.Row(0), snapshot.Row(1)}), rows);
    // The owning pid is the sixth field of the row: bytes 20..23 of row 1.
    EXPECT_EQ(static_cast<int>(snapshot.Bytes()[4 + 24 + 20]), 7);

    std::vector<std::byte> bytes = snapshot.Bytes();
    bytes.pop_back();
    const TcpSnapshot truncated = TcpSnapshot::FromBytes(bytes);
    EXPECT_EQ(truncated.StoredCount(), 2u);
    EXPECT_EQ(truncated.AvailableRows(), 1u);
    EXPECT_EQ(TcpSnapshot::FromBytes({std::byte{1}}).AvailableRows(), 0u);
}

} // namespace
} // namespace qb::linux_os
