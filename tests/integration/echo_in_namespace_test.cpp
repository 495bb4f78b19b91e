// Real ICMP echoes over raw and ping sockets. Every test moves into a network namespace of its own first;
// a second namespace, joined by a veth pair, routes for it and answers with ICMP errors. Nothing is sent
// outside namespaces these tests create.
#include "integration/loopback.h"
#include "net/mod_wsk.h"
#include "platform/linux/icmp_echo.h"
#include "platform/unique_fd.h"
#include "support/net_namespace.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

namespace qb {
namespace {

using linux_os::IcmpEcho;

constexpr auto kPingGroupRange = "/proc/sys/net/ipv4/ping_group_range";

ino_t NetNamespaceInode(const std::string& process = "thread-self")
{
    struct stat info {};
    return ::stat(("/proc/" + process + "/ns/net").c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string ReadFd(int fd)
{
    char buffer[128] = {};
    const ssize_t got = ::pread(fd, buffer, sizeof buffer - 1, 0);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

// A second namespace that routes for this one: no route to 10.50/16 (net unreachable), "unreachable"
// 10.99/16 (host unreachable), "prohibit" 10.98/16 (filtered), "blackhole" 10.97/16 (no answer at all).
// Its process only holds the namespace, which is set up from here through nsenter. Null when it cannot be.
std::unique_ptr<test::ChildProcess> StartRouter()
{
    auto router = std::make_unique<test::ChildProcess>([] {
        if (::unshare(CLONE_NEWNET) == 0) {
            for (;;)
                ::pause();
        }
    });
    const std::string pid = std::to_string(router->Pid());
    const bool entered =
        test::PollUntil([&] { return NetNamespaceInode(pid) != NetNamespaceInode(); }, 10000) &&
        router->Alive();
    // Errors to one host are otherwise limited to about one a second.
    const bool ok =
        entered && test::RunCommand("ip link add qbr0 type veth peer name qbr1 netns " + pid) &&
        test::RunCommand("ip addr add 10.214.0.2/24 dev qbr0 && ip link set qbr0 up && "
                         "ip route add default via 10.214.0.1") &&
        test::RunCommand(
            "nsenter -t " + pid +
            " -n sh -c 'ip link set lo up && ip addr add 10.214.0.1/24 dev qbr1 && "
            "ip link set qbr1 up && echo 1 >/proc/sys/net/ipv4/ip_forward && "
            "echo 0 >/proc/sys/net/ipv4/icmp_ratelimit && ip route add unreachable 10.99.0.0/16 && "
            "ip route add prohibit 10.98.0.0/16 && ip route add blackhole 10.97.0.0/16'");
    return ok ? std::move(router) : nullptr;
}

class EchoInNamespaceTest : public ::testing::TestWithParam<IcmpEcho::Sockets> {
protected:
    void SetUp() override { QB_REQUIRE_FRESH_NAMESPACE(); }

    // Lets every group open ping sockets, in this test's own namespace only.
    void EnablePingSockets()
    {
        ASSERT_NE(NetNamespaceInode(), m_hostNamespace) << "refusing to change the host's namespace";
        const UniqueFd own(::open(kPingGroupRange, O_WRONLY | O_CLOEXEC));
        ASSERT_EQ(::write(own.Get(), "0 2147483647\n", 13), 13);
        EXPECT_EQ(ReadFd(m_hostRange.Get()), m_hostRangeBefore) << "the host's value must not change";
    }

    // Taken before the test leaves the host's namespace: a /proc/sys/net file opened there keeps showing
    // that namespace's value.
    const ino_t m_hostNamespace = NetNamespaceInode();
    const UniqueFd m_hostRange{::open(kPingGroupRange, O_RDONLY | O_CLOEXEC)};
    const std::string m_hostRangeBefore = ReadFd(m_hostRange.Get());
};

TEST_P(EchoInNamespaceTest, EchoesOverLoopbackAndThroughARouterMapToTheirStatusCodesInNamespace)
{
    IcmpEcho echo(GetParam());
    EchoReply reply;
    if (GetParam() == IcmpEcho::Sockets::PingOnly) {
        // A fresh namespace allows ping sockets to no group.
        EXPECT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", reply), ModWsk::kGeneralFailure);
        ASSERT_NO_FATAL_FAILURE(EnablePingSockets());
    }
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", reply), 0);
    EXPECT_EQ(reply.Address, 0x0100007fu);
    EXPECT_EQ(std::string(reply.Data.data(), reply.DataSize), "Echo This");
    EXPECT_EQ(reply.Ttl, 64);
    EXPECT_LT(reply.RoundTripTime, 500u);
    const std::optional<QString> ping = ModWsk::PingIP(echo, "127.0.0.1");
    ASSERT_TRUE(ping.has_value());
    EXPECT_TRUE(ping->startsWith("Success - Round Time : ") && ping->endsWith(" ms")) << ping->toStdString();

    EchoReply broadcast;
    EXPECT_EQ(ModWsk::SendEcho(echo, "255.255.255.255", "Echo This", broadcast), -1);
    EXPECT_EQ(broadcast.Status, 0u);
    EXPECT_EQ(ModWsk::PingIP(echo, "255.255.255.255"), "inet_addr: bad IP format");

    const auto router = StartRouter();
    if (!router)
        GTEST_SKIP() << "could not set up the router namespace";
    for (const auto& [address, status] :
         {std::pair{"10.214.0.1", 0}, {"10.50.0.1", 11002}, {"10.99.0.1", 11003}, {"10.98.0.1", 11003}}) {
        // A router answers unreachable destinations about once a second per host (the kernel's route
        // error cost, which no namespace can change): what it swallows reads as a timeout, and each
        // timed-out attempt has already waited out its half second.
        EchoReply answer;
        int32_t got = ModWsk::kRequestTimedOut;
        for (int attempt = 0; attempt < 8 && got == ModWsk::kRequestTimedOut; ++attempt)
            got = ModWsk::SendEcho(echo, address, "Echo This", answer);
        EXPECT_EQ(got, status) << address;
        EXPECT_EQ(answer.Address, 0x0100d60au) << address; // 10.214.0.1 answered or complained
    }
    EchoReply none;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ModWsk::SendEcho(echo, "10.97.0.1", "Echo This", none), ModWsk::kRequestTimedOut);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(490));
    EXPECT_LT(waited, std::chrono::milliseconds(5000)); // the timeout given, not a system default
    EXPECT_EQ(ModWsk::EchoStatusText(none.Status), "ip req timed out");
}

INSTANTIATE_TEST_SUITE_P(Sockets, EchoInNamespaceTest,
                         ::testing::Values(IcmpEcho::Sockets::RawOnly, IcmpEcho::Sockets::PingOnly),
                         [](const auto& param) {
                             return param.param == IcmpEcho::Sockets::RawOnly ? "Raw" : "Ping";
                         });

} // namespace
} // namespace qb
