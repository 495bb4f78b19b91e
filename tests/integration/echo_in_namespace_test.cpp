// Real ICMP echoes and reverse look-ups. Every test moves into a network namespace of its own first; the
// router tests add a second one, joined by a veth pair, that answers with ICMP errors. Nothing is sent
// outside namespaces these tests create.
#include "net/mod_wsk.h"
#include "platform/linux/icmp_echo.h"
#include "platform/unique_fd.h"
#include "support/net_namespace.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>

namespace qb {
namespace linux_os {
void PrintTo(IcmpEcho::Sockets sockets, std::ostream* out)
{
    *out << (sockets == IcmpEcho::Sockets::RawOnly ? "raw socket" : "ping socket");
}
} // namespace linux_os

namespace {

using linux_os::IcmpEcho;
using Clock = std::chrono::steady_clock;

constexpr auto kPingGroupRange = "/proc/sys/net/ipv4/ping_group_range";

ino_t NetNamespaceInode()
{
    struct stat info {};
    return ::stat("/proc/thread-self/ns/net", &info) == 0 ? info.st_ino : 0;
}

std::string ReadFd(int fd)
{
    char buffer[128] = {};
    const ssize_t got = ::pread(fd, buffer, sizeof buffer - 1, 0);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

bool WriteFile(const char* path, const char* text)
{
    const UniqueFd fd(::open(path, O_WRONLY | O_CLOEXEC));
    const auto length = static_cast<ssize_t>(std::strlen(text));
    return fd.Valid() && ::write(fd.Get(), text, static_cast<size_t>(length)) == length;
}

class EchoInNamespaceTest : public ::testing::Test {
protected:
    // The host's namespace and its ping_group_range, taken before the test leaves it: a /proc/sys/net
    // file opened there keeps showing that namespace's value.
    EchoInNamespaceTest()
        : m_hostNamespace(NetNamespaceInode()), m_hostRange(::open(kPingGroupRange, O_RDONLY | O_CLOEXEC)),
          m_hostRangeBefore(ReadFd(m_hostRange.Get()))
    {
    }

    // Lets every group open ping sockets, in this test's own namespace only.
    void EnablePingSockets()
    {
        ASSERT_NE(NetNamespaceInode(), m_hostNamespace) << "refusing to change the host's namespace";
        {
            std::ofstream out(kPingGroupRange);
            out << "0 2147483647\n";
            out.close();
            ASSERT_TRUE(out.good());
        }
        std::ifstream in(kPingGroupRange);
        std::string low, high;
        in >> low >> high;
        EXPECT_EQ(low + " " + high, "0 2147483647");
        EXPECT_EQ(ReadFd(m_hostRange.Get()), m_hostRangeBefore) << "the host's value must not change";
    }

    ino_t m_hostNamespace;
    UniqueFd m_hostRange;
    std::string m_hostRangeBefore;
};

TEST_F(EchoInNamespaceTest, ARawSocketEchoesLoopbackInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    IcmpEcho echo(IcmpEcho::Sockets::RawOnly);
    EchoReply reply;
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", reply), 0);
    EXPECT_EQ(reply.Address, 0x0100007fu);
    EXPECT_EQ(reply.DataSize, 9);
    EXPECT_EQ(std::memcmp(reply.Data.data(), "Echo This", 9), 0);
    EXPECT_EQ(reply.Ttl, 64);
    EXPECT_LT(reply.RoundTripTime, 500u);
}

TEST_F(EchoInNamespaceTest, PingSocketsEchoOnceEnabledInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    IcmpEcho echo(IcmpEcho::Sockets::PingOnly);
    EchoReply refused;
    // A fresh namespace allows ping sockets to no group.
    EXPECT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", refused), ModWsk::kGeneralFailure);

    EnablePingSockets();
    EchoReply reply;
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", reply), 0);
    EXPECT_EQ(reply.Address, 0x0100007fu);
    EXPECT_EQ(reply.DataSize, 9);
    EXPECT_EQ(std::memcmp(reply.Data.data(), "Echo This", 9), 0);

    const std::optional<QString> ping = ModWsk::PingIP(echo, "127.0.0.1");
    ASSERT_TRUE(ping.has_value());
    EXPECT_TRUE(ping->startsWith("Success - Round Time : ") && ping->endsWith(" ms")) << ping->toStdString();
}

TEST_F(EchoInNamespaceTest, TheBroadcastAddressGivesMinusOneInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    IcmpEcho echo;
    EchoReply reply;
    EXPECT_EQ(ModWsk::SendEcho(echo, "255.255.255.255", "Echo This", reply), -1);
    EXPECT_EQ(ModWsk::PingIP(echo, "255.255.255.255"), "inet_addr: bad IP format");
    EXPECT_EQ(reply.Status, 0u);
}

// A second namespace that routes for this one: no route to 10.50/16 (net unreachable), "unreachable"
// 10.99/16 (host unreachable), "prohibit" 10.98/16 (filtered), "blackhole" 10.97/16 (no answer at all).
class Router {
public:
    bool Start(std::string* why)
    {
        int toChild[2];
        int toParent[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(toParent, O_CLOEXEC) != 0) {
            *why = "pipe failed";
            return false;
        }
        m_toChild.Reset(toChild[1]);
        m_fromChild.Reset(toParent[0]);
        UniqueFd childIn(toChild[0]);
        UniqueFd childOut(toParent[1]);
        m_child = std::make_unique<test::ChildProcess>([&] {
            auto say = [&](char c) { (void)!::write(childOut.Get(), &c, 1); };
            if (::unshare(CLONE_NEWNET) != 0)
                return say('f');
            say('r');
            char go = 0;
            if (::read(childIn.Get(), &go, 1) != 1)
                return;
            const bool ok = test::RunCommand("ip link set lo up") &&
                            test::RunCommand("ip addr add 10.214.0.1/24 dev qbr1") &&
                            test::RunCommand("ip link set qbr1 up") &&
                            WriteFile("/proc/sys/net/ipv4/ip_forward", "1\n") &&
                            // Errors to one host are otherwise limited to about one a second.
                            WriteFile("/proc/sys/net/ipv4/icmp_ratelimit", "0\n") &&
                            test::RunCommand("ip route add unreachable 10.99.0.0/16") &&
                            test::RunCommand("ip route add prohibit 10.98.0.0/16") &&
                            test::RunCommand("ip route add blackhole 10.97.0.0/16");
            say(ok ? 'd' : 'f');
            for (;;)
                ::pause();
        });
        if (Hear() != 'r') {
            *why = "the router could not get a namespace";
            return false;
        }
        const std::string pid = std::to_string(m_child->Pid());
        if (!test::RunCommand("ip link add qbr0 type veth peer name qbr1 netns " + pid) ||
            !test::RunCommand("ip addr add 10.214.0.2/24 dev qbr0") ||
            !test::RunCommand("ip link set qbr0 up") ||
            !test::RunCommand("ip route add default via 10.214.0.1")) {
            *why = "could not link to the router";
            return false;
        }
        const char go = 'g';
        if (::write(m_toChild.Get(), &go, 1) != 1 || Hear() != 'd') {
            *why = "the router could not set itself up";
            return false;
        }
        return true;
    }

private:
    char Hear()
    {
        pollfd p{m_fromChild.Get(), POLLIN, 0};
        char c = 0;
        if (::poll(&p, 1, 10000) != 1 || ::read(m_fromChild.Get(), &c, 1) != 1)
            return 0;
        return c;
    }

    UniqueFd m_toChild;
    UniqueFd m_fromChild;
    std::unique_ptr<test::ChildProcess> m_child;
};

class EchoThroughRouterTest : public EchoInNamespaceTest,
                              public ::testing::WithParamInterface<IcmpEcho::Sockets> {};

TEST_P(EchoThroughRouterTest, WhatTheRouterAnswersMapsToItsStatusCodeInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    if (GetParam() == IcmpEcho::Sockets::PingOnly)
        EnablePingSockets();
    Router router;
    std::string why;
    if (!router.Start(&why))
        GTEST_SKIP() << why;

    IcmpEcho echo(GetParam());
    struct Case {
        const char* address;
        int32_t status;
    };
    for (const Case& c : {Case{"10.214.0.1", 0}, Case{"10.50.0.1", 11002}, Case{"10.99.0.1", 11003},
                          Case{"10.98.0.1", 11003}}) {
        EchoReply reply;
        const int32_t status = ModWsk::SendEcho(echo, c.address, "Echo This", reply);
        EXPECT_EQ(status, c.status) << c.address;
        EXPECT_EQ(reply.Address, 0x0100d60au) << c.address; // 10.214.0.1 answered or complained
    }

    EchoReply reply;
    const auto start = Clock::now();
    EXPECT_EQ(ModWsk::SendEcho(echo, "10.97.0.1", "Echo This", reply), ModWsk::kRequestTimedOut);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(490));
    EXPECT_LT(waited, std::chrono::milliseconds(5000)); // the timeout given, not a system default
    EXPECT_EQ(ModWsk::EchoStatusText(reply.Status), "ip req timed out");
}

INSTANTIATE_TEST_SUITE_P(Sockets, EchoThroughRouterTest,
                         ::testing::Values(IcmpEcho::Sockets::RawOnly, IcmpEcho::Sockets::PingOnly),
                         [](const ::testing::TestParamInfo<IcmpEcho::Sockets>& param) {
                             return param.param == IcmpEcho::Sockets::RawOnly ? "Raw" : "Ping";
                         });

} // namespace
} // namespace qb
