#include "platform/linux/connectivity_linux.h"
#include "platform/linux/dpkg_index.h"
#include "platform/linux/interface_table_linux.h"
#include "platform/linux/sock_diag_parser.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/if.h>
#include <linux/inet_diag.h>
#include <sys/socket.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace qb::linux_os {
namespace {

const std::string kFixtures = std::string(QB_TEST_DATA) + "/platform/fixtures";

inet_diag_msg Message(uint8_t family, uint8_t state, const char* source, const char* destination)
{
    inet_diag_msg message{};
    message.idiag_family = family;
    message.idiag_state = state;
    message.id.idiag_sport = htons(40000);
    message.id.idiag_dport = htons(80);
    message.id.idiag_cookie[0] = 0x1234;
    message.idiag_inode = 98765;
    inet_pton(family, source, message.id.idiag_src);
    inet_pton(family, destination, message.id.idiag_dst);
    return message;
}

std::optional<TcpRow> RowOf(const inet_diag_msg& message)
{
    const auto socket = ParseDiagMessage(&message, sizeof message);
    EXPECT_TRUE(socket.has_value());
    return ToIpv4Row(*socket, 42);
}

TEST(SockDiagParserTest, AnIPv4SocketBecomesARowWithFieldsAsStored)
{
    const auto row = RowOf(Message(AF_INET, 1, "192.168.0.1", "10.0.0.138"));
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->state, 5u);
    EXPECT_EQ(row->localPort, static_cast<uint32_t>(htons(40000)));
    EXPECT_EQ(row->remotePort, 0x5000u);
    EXPECT_EQ(row->remoteAddr, inet_addr("10.0.0.138"));
    EXPECT_EQ(row->pid, 42u);
    const inet_diag_msg message = Message(AF_INET, 1, "1.2.3.4", "5.6.7.8");
    const auto parsed = ParseDiagMessage(&message, sizeof message);
    EXPECT_EQ(parsed->inode, 98765u);
    EXPECT_EQ(parsed->cookie[0], 0x1234u);
    EXPECT_FALSE(ParseDiagMessage(&message, sizeof message - 1).has_value());
}

TEST(SockDiagParserTest, OnlyIPv4MappedIPv6SocketsBecomeRows)
{
    const auto mapped = RowOf(Message(AF_INET6, 1, "::ffff:127.0.0.1", "::ffff:127.0.0.2"));
    ASSERT_TRUE(mapped.has_value());
    EXPECT_EQ(mapped->localAddr, inet_addr("127.0.0.1"));
    EXPECT_EQ(mapped->remoteAddr, inet_addr("127.0.0.2"));
    const auto mappedListener = RowOf(Message(AF_INET6, 10, "::ffff:127.0.0.1", "::"));
    ASSERT_TRUE(mappedListener.has_value());
    EXPECT_EQ(mappedListener->state, 2u);
    EXPECT_EQ(mappedListener->remoteAddr, 0u);
    EXPECT_FALSE(RowOf(Message(AF_INET6, 1, "::1", "::1")).has_value());
    EXPECT_FALSE(RowOf(Message(AF_INET6, 10, "::", "::")).has_value()); // a dual-stack listener on ::
    EXPECT_FALSE(RowOf(Message(AF_INET6, 1, "::ffff:127.0.0.1", "2001:db8::1")).has_value());
}

TEST(SockDiagParserTest, KernelStatesMapToMibCodes)
{
    const std::map<uint8_t, uint32_t> expected = {{1, 5},   {2, 3},  {3, 4},  {4, 6}, {5, 7},
                                                  {6, 11},  {7, 1},  {8, 8},  {9, 9}, {10, 2},
                                                  {11, 10}, {12, 4}, {13, 0}, {0, 0}};
    for (const auto& [kernel, mib] : expected)
        EXPECT_EQ(MibStateFromKernel(kernel), mib) << int(kernel);
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
    const std::pair<const char*, std::pair<uint32_t, uint32_t>> cases[] = {
        {"7.88.1-10+deb12u8", {7u << 16 | 88, 1u << 16}},
        {"1:9.2p1-2+deb12u3", {9u << 16 | 2, 0}},
        {"2.36-9", {2u << 16 | 36, 0}},
        {"1.2.3.4.5", {1u << 16 | 2, 3u << 16 | 4}},
        {"70000.1", {65535u << 16 | 1, 0}},
        {"20230101", {65535u << 16, 0}},
        {"3", {3u << 16, 0}},
    };
    for (const auto& [text, halves] : cases) {
        const auto version = FileVersionFromDebianVersion(text);
        ASSERT_TRUE(version.has_value()) << text;
        EXPECT_EQ(version->mostSignificant, halves.first) << text;
        EXPECT_EQ(version->leastSignificant, halves.second) << text;
    }
    EXPECT_FALSE(FileVersionFromDebianVersion("git20200101").has_value());
    EXPECT_FALSE(FileVersionFromDebianVersion("").has_value());
    EXPECT_FALSE(FileVersionFromDebianVersion("1:").has_value());
}

TEST(InterfaceTableLinuxTest, ProcNetDevCountersFillTheMatchingRows)
{
    std::ifstream in(kFixtures + "/proc_net_dev.txt");
    std::stringstream text;
    text << in.rdbuf();
    InterfaceTable table;
    table.rows.resize(3);
    table.rows[0].name = "lo";
    table.rows[1].name = "eth0";
    table.rows[2].name = "wlan0";
    ASSERT_TRUE(ApplyProcNetDev(text.str(), table));
    EXPECT_EQ(table.rows[0].octetsReceived, 5000000000u);
    EXPECT_EQ(table.rows[1].octetsReceived, 123456u);
    EXPECT_EQ(table.rows[1].unicastPacketsReceived, 90u);
    EXPECT_EQ(table.rows[1].nonunicastPacketsReceived, 10u);
    EXPECT_EQ(table.rows[1].incomingErrors, 2u);
    EXPECT_EQ(table.rows[1].discardedIncomingPackets, 3u);
    EXPECT_EQ(table.rows[1].octetsSent, 654321u);
    EXPECT_EQ(table.rows[1].outgoingErrors, 4u);
    EXPECT_EQ(table.rows[1].discardedOutgoingPackets, 5u);
    EXPECT_EQ(table.rows[2].octetsReceived, 0u);
    EXPECT_FALSE(ApplyProcNetDev("garbage\n", table));
}

TEST(InterfaceTableLinuxTest, DeviceTypesAndStatesMapToMibCodes)
{
    EXPECT_EQ(MibInterfaceType(772), 24u);
    EXPECT_EQ(MibInterfaceType(1), 6u);
    EXPECT_EQ(MibInterfaceType(512), 23u);
    EXPECT_EQ(MibInterfaceType(65534), 1u);
    EXPECT_EQ(MibOperationalStatus(IF_OPER_UP, 0), 5u);
    EXPECT_EQ(MibOperationalStatus(IF_OPER_DOWN, IFF_UP), 2u);
    EXPECT_EQ(MibOperationalStatus(IF_OPER_UNKNOWN, IFF_UP | IFF_RUNNING), 5u);
    EXPECT_EQ(MibOperationalStatus(IF_OPER_UNKNOWN, IFF_UP), 2u);
}

TEST(ConnectivityLinuxTest, AProxyComesFromTheEnvironmentOrTheDesktopSettings)
{
    std::map<std::string, std::string> env;
    const LinuxConnectivity::GetEnv getEnv = [&](const char* name) {
        const auto it = env.find(name);
        return it == env.end() ? std::string() : it->second;
    };
    EXPECT_FALSE(ProxyConfigured(getEnv, "/nonexistent"));
    env["HTTPS_PROXY"] = "http://proxy:3128";
    EXPECT_TRUE(ProxyConfigured(getEnv, "/nonexistent"));
    env.clear();

    const std::string folder = ::testing::TempDir() + "qb_kio";
    std::filesystem::create_directories(folder);
    const auto writeKio = [&](const char* text) { std::ofstream(folder + "/kioslaverc") << text; };
    writeKio("[Proxy Settings]\nProxyType=1\nhttpProxy=http://proxy 8080\n");
    EXPECT_TRUE(ProxyConfigured(getEnv, folder));
    writeKio("[Proxy Settings]\nProxyType=0\n");
    EXPECT_FALSE(ProxyConfigured(getEnv, folder));
    writeKio("[Other]\nProxyType=1\n[Proxy Settings]\nProxyType=4\n"); // 4: whatever the environment says
    EXPECT_FALSE(ProxyConfigured(getEnv, folder));
}

} // namespace
} // namespace qb::linux_os
