// The interface table and the online check against the links of a private namespace.
#include "integration/loopback.h"
#include "monitor/online_check.h"
#include "platform/linux/connectivity_linux.h"
#include "platform/linux/interface_table_linux.h"
#include "support/net_namespace.h"
#include "traffic/ip_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace qb {
namespace {

TEST(InterfacesIntegrationTest, ANamespaceWithOnlyLoopbackGivesOneRowCountingItsTrafficInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    linux_os::LinuxInterfaceTable source;
    CIpHelper helper(source);
    const auto before = helper.Interfaces();
    ASSERT_EQ(before->Count(), 1);
    const CInterface& lo = *before->Item(1);
    EXPECT_EQ(std::tuple(lo.InterfaceName, lo.InterfaceDescription, lo.InterfaceType, lo.AdminStatus,
                         lo.OperationalStatus, lo.LastChange),
              std::tuple("lo", "lo", 24, 1, 5, 0));
    const int64_t receivedBefore = helper.BytesReceived();

    uint16_t port = 0;
    const int listener = test::Listen(port);
    const int client = test::Connect(port);
    const int server = test::Accept(listener);
    std::vector<char> data(100000, 'q');
    for (std::size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::send(client, data.data() + sent, data.size() - sent, 0);
        ASSERT_GT(n, 0);
        sent += static_cast<std::size_t>(n);
        (void)!::recv(server, data.data(), data.size(), MSG_DONTWAIT);
    }
    helper.Interfaces();
    EXPECT_GE(helper.BytesReceived() - receivedBefore, 100000);
    EXPECT_EQ(helper.BytesReceived(), helper.BytesSent()); // loopback receives what it sends
    for (const int fd : {client, server, listener})
        ::close(fd);
}

TEST(InterfacesIntegrationTest, ANamespaceIsOnlineWhileALinkBesideLoopbackIsUpWithAnAddressInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    linux_os::LinuxConnectivity connectivity([](const char*) { return std::string(); }, "/nonexistent");
    EXPECT_FALSE(IsOnline(connectivity));
    EXPECT_FALSE(IsProxy(connectivity));
    // Up and running with only a link-local address, which any link gives itself: not joined to a network.
    ASSERT_TRUE(test::RunCommand("ip link add qbv0 type veth peer name qbv1 && ip link set qbv0 up && "
                                 "ip link set qbv1 up && ip -6 addr add fe80::2/64 dev qbv0"));
    EXPECT_FALSE(IsOnline(connectivity));
    ASSERT_TRUE(test::RunCommand("ip addr add 10.213.0.2/24 dev qbv0")); // no default route
    EXPECT_TRUE(IsOnline(connectivity));

    linux_os::LinuxInterfaceTable source;
    const InterfaceTable table = source.Fetch();
    ASSERT_EQ(table.status, InterfaceTable::Status::Ok);
    const auto veth = std::ranges::find(table.rows, std::string("qbv0"), &InterfaceRow::name);
    ASSERT_NE(veth, table.rows.end());
    EXPECT_EQ(std::tuple(veth->type, veth->physicalAddress.size(), veth->mtu), std::tuple(6u, 6u, 1500u));
    ASSERT_TRUE(test::RunCommand("ip link set qbv0 down"));
    EXPECT_FALSE(IsOnline(connectivity));
}

} // namespace
} // namespace qb
