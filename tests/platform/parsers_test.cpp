#include "platform/linux/connectivity_linux.h"
#include "platform/linux/dpkg_index.h"
#include "platform/linux/interface_table_linux.h"
#include "platform/linux/sock_diag_parser.h"
#include "platform/linux/socket_counters.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/if.h>
#include <linux/inet_diag.h>
#include <sys/socket.h>

#include <fstream>
#include <map>
#include <string_view>
#include <tuple>

namespace qb::linux_os {
namespace {

const std::string kFixtures = std::string(QB_TEST_DATA) + "/platform/fixtures";

// The row of a socket of `protocol` from port 40000 to port 80 owned by pid 42, bound to interface 3, after
// checking that the message is parsed whole and refused when it is one byte short.
std::optional<TcpRow> RowOf(Transport protocol, uint8_t family, uint8_t state, const char* source,
                            const char* destination)
{
    inet_diag_msg message{.idiag_family = family,
                          .idiag_state = state,
                          .id = {.idiag_sport = htons(40000),
                                 .idiag_dport = htons(80),
                                 .idiag_if = 3,
                                 .idiag_cookie = {0x1234, 0x5}},
                          .idiag_inode = 98765};
    inet_pton(family, source, message.id.idiag_src);
    inet_pton(family, destination, message.id.idiag_dst);
    EXPECT_FALSE(ParseDiagMessage(&message, sizeof message - 1).has_value());
    const auto socket = ParseDiagMessage(&message, sizeof message);
    EXPECT_EQ(socket->inode, 98765u);
    return ToRow(*socket, protocol, 42);
}

// The row expected of RowOf, with addresses as text (an IPv6 address holds a ':').
TcpRow Expected(Transport protocol, uint32_t state, const char* local, const char* remote)
{
    const auto address = [](const char* text) {
        unsigned char bytes[16] = {};
        const bool v6 = std::string_view(text).find(':') != std::string_view::npos;
        inet_pton(v6 ? AF_INET6 : AF_INET, text, bytes);
        return v6 ? IpAddress::FromIPv6(bytes, 3) : IpAddress::FromIPv4(*reinterpret_cast<uint32_t*>(bytes));
    };
    return TcpRow{
        state, {protocol, address(local), htons(40000), address(remote), htons(80), 3, 0x5'00001234}, 42};
}

TEST(SockDiagParserTest, SocketsBecomeRowsOfTheirFamilyMappedOnesInIPv4FormAndUnconnectedUdpNone)
{
    const auto tcp = Transport::Tcp, udp = Transport::Udp;
    const std::tuple<Transport, uint8_t, uint8_t, const char*, const char*, std::optional<TcpRow>> cases[] = {
        {tcp, AF_INET, 1, "192.168.0.1", "10.0.0.138", Expected(tcp, 5, "192.168.0.1", "10.0.0.138")},
        {tcp, AF_INET6, 1, "::ffff:127.0.0.1", "::ffff:127.0.0.2",
         Expected(tcp, 5, "127.0.0.1", "127.0.0.2")},
        {tcp, AF_INET6, 10, "::ffff:127.0.0.1", "::", Expected(tcp, 2, "127.0.0.1", "0.0.0.0")},
        {tcp, AF_INET6, 1, "::1", "2001:db8::1", Expected(tcp, 5, "::1", "2001:db8::1")},
        {tcp, AF_INET6, 10, "::", "::", Expected(tcp, 2, "::", "::")}, // a dual-stack listener on ::
        {tcp, AF_INET6, 1, "fe80::1", "fe80::2", Expected(tcp, 5, "fe80::1", "fe80::2")},
        {udp, AF_INET6, 1, "::ffff:10.0.0.2", "::ffff:10.0.0.1", Expected(udp, 5, "10.0.0.2", "10.0.0.1")},
        {udp, AF_INET, 7, "10.0.0.2", "0.0.0.0", std::nullopt}, // bound, not connected
        {udp, AF_INET6, 7, "::", "::", std::nullopt},
    };
    for (const auto& [protocol, family, state, source, destination, row] : cases)
        EXPECT_EQ(RowOf(protocol, family, state, source, destination), row)
            << source << " to " << destination;
}

TEST(SocketCountersTest, TheDigestMovesWithOpensResetsSocketsAndDatagramsButNotWithSegments)
{
    const auto snmp = [](const char* tcp, const char* udp) {
        return std::string(
                   "Ip: Forwarding\nIp: 2\nTcp: RtoMin ActiveOpens PassiveOpens AttemptFails EstabResets "
                   "CurrEstab InSegs\nTcp: ") +
               tcp + "\nUdp: InDatagrams OutDatagrams\nUdp: " + udp + "\n";
    };
    const std::string sockstat =
        "sockets: used 9\nTCP: inuse 3 orphan 0 tw 1 alloc 4 mem 9\nUDP: inuse 1 mem 2\n";
    const std::string snmp6 = "Udp6InDatagrams                 \t7\nUdp6OutDatagrams\t8\n";
    const std::string sockstat6 = "TCP6: inuse 2\nUDP6: inuse 0\n";
    const auto digest = CountersDigest(snmp("200 15 2 0 0 3 1734", "230 231"), snmp6, sockstat, sockstat6);
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(CountersDigest(snmp("200 15 2 0 0 3 9999", "230 231"), snmp6, sockstat,
                             "TCP6: inuse 2\nUDP6: inuse 0"),
              digest); // only segments moved
    for (const auto& [snmpText, sockstatText, snmp6Text] :
         {std::tuple{snmp("200 16 2 0 0 3 1734", "230 231"), sockstat, snmp6},
          {snmp("200 15 2 0 1 3 1734", "230 231"), sockstat, snmp6},
          {snmp("200 15 2 0 0 3 1734", "230 232"), sockstat, snmp6},
          {snmp("200 15 2 0 0 3 1734", "230 231"),
           std::string("sockets: used 9\nTCP: inuse 3 tw 2\nUDP: inuse 1"), snmp6},
          {snmp("200 15 2 0 0 3 1734", "230 231"),
           std::string("sockets: used 9\nTCP: inuse 3 tw 1\nUDP: inuse 2"), snmp6},
          {snmp("200 15 2 0 0 3 1734", "230 231"), sockstat, std::string("Udp6InDatagrams 8\n")}})
        EXPECT_NE(CountersDigest(snmpText, snmp6Text, sockstatText, sockstat6), digest)
            << snmpText << sockstatText;
    EXPECT_EQ(CountersDigest("", snmp6, sockstat, sockstat6), std::nullopt);
    EXPECT_EQ(
        CountersDigest(snmp("200 15 2 0 0 3 1734", "230 231"), snmp6 + "Udp6NoPorts 1\n", "", sockstat6),
        std::nullopt); // IPv6 counters do not stand in for a missing sockstat
    EXPECT_TRUE(
        CountersDigest(snmp("200 15 2 0 0 3 1734", "230 231"), "", sockstat, "").has_value()); // no IPv6
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

} // namespace
} // namespace qb::linux_os
