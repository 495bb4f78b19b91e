#include "fakes/fake_echo_service.h"
#include "fakes/fake_name_resolver.h"
#include "net/mod_wsk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace qb {
namespace {

using test::FakeEchoService;
using test::FakeNameResolver;

struct StatusTextCase {
    int32_t code;
    const char* text;
};

class EchoStatusTextTest : public ::testing::TestWithParam<StatusTextCase> {};

TEST_P(EchoStatusTextTest, GivesTheFixedTextOfEachCode)
{
    EXPECT_EQ(ModWsk::EchoStatusText(GetParam().code), GetParam().text) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EchoStatusTextTest,
    ::testing::Values(
        StatusTextCase{-1, "inet_addr: bad IP format"}, StatusTextCase{0, "ip success"},
        StatusTextCase{500, "ping timeout"}, StatusTextCase{11001, "ip buf too_small"},
        StatusTextCase{11002, "ip dest net unreachable"}, StatusTextCase{11003, "ip dest host unreachable"},
        StatusTextCase{11004, "ip dest prot unreachable"}, StatusTextCase{11005, "ip dest port unreachable"},
        StatusTextCase{11006, "ip no resources"}, StatusTextCase{11007, "ip bad option"},
        StatusTextCase{11008, "ip hw_error"}, StatusTextCase{11009, "ip packet too_big"},
        StatusTextCase{11010, "ip req timed out"}, StatusTextCase{11011, "ip bad req"},
        StatusTextCase{11012, "ip bad route"}, StatusTextCase{11013, "ip ttl expired transit"},
        StatusTextCase{11014, "ip ttl expired reassem"}, StatusTextCase{11015, "ip param_problem"},
        StatusTextCase{11016, "ip source quench"}, StatusTextCase{11017, "ip option too_big"},
        StatusTextCase{11018, "ip bad destination"}, StatusTextCase{11019, "ip addr deleted"},
        StatusTextCase{11020, "ip spec mtu change"}, StatusTextCase{11021, "ip mtu_change"},
        StatusTextCase{11022, "ip unload"}, StatusTextCase{11023, "ip addr added"},
        StatusTextCase{11050, "ip general failure"}, StatusTextCase{11255, "ip pending"},
        StatusTextCase{11000, "unknown msg returned"}, StatusTextCase{11024, "unknown msg returned"},
        StatusTextCase{11049, "unknown msg returned"}, StatusTextCase{11051, "unknown msg returned"},
        StatusTextCase{11254, "unknown msg returned"}, StatusTextCase{11256, "unknown msg returned"},
        StatusTextCase{1, "unknown msg returned"}, StatusTextCase{-2, "unknown msg returned"},
        StatusTextCase{499, "unknown msg returned"}, StatusTextCase{INT_MIN, "unknown msg returned"},
        StatusTextCase{INT_MAX, "unknown msg returned"}));

TEST(ResolveHostNameTest, GivesTheNameOrTheAddressAndLeavesNonAddressesAlone)
{
    FakeNameResolver resolver;
    resolver.Answer(0x0100007f, "localhost");
    resolver.Answer(0x0403020a, "");
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "127.0.0.1"), "localhost");
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "10.2.3.4"), "");
    // inet_addr's short form: 127.1 is 127.0.0.1.
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "127.1"), "localhost");
    const QString nul = QStringLiteral("1.2.3.4") + QChar(0) + "junk";
    for (const QString& text : {QString("255.255.255.255"), QString("not an address"), QString(),
                                QString("256.1.1.1"), QString::fromUtf16(u"\uff11.2.3.4"), nul})
        EXPECT_EQ(ModWsk::ResolveHostName(resolver, text), text);
    EXPECT_EQ(resolver.Asked(), (std::vector<uint32_t>{0x0100007f, 0x0302010a, 0x0403020a, 0x0100007f}));
}

struct StatusCase {
    EchoOutcome::Kind kind;
    uint8_t type;
    uint8_t code;
    int32_t status;
};

class SendEchoStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SendEchoStatusTest, MapsWhatCameBackToTheIpStatusCode)
{
    FakeEchoService echo;
    echo.outcome.kind = GetParam().kind;
    echo.outcome.icmpType = GetParam().type;
    echo.outcome.icmpCode = GetParam().code;
    EchoReply reply;
    EXPECT_EQ(ModWsk::SendEcho(echo, "10.0.0.1", "Echo This", reply), GetParam().status);
    EXPECT_EQ(reply.Status, static_cast<uint32_t>(GetParam().status));
}

using K = EchoOutcome::Kind;
INSTANTIATE_TEST_SUITE_P(
    Outcomes, SendEchoStatusTest,
    ::testing::Values(StatusCase{K::Reply, 0, 0, 0}, StatusCase{K::Timeout, 0, 0, 11010},
                      StatusCase{K::LocalError, 0, 0, 11050}, StatusCase{K::NoSocket, 0, 0, 11050},
                      StatusCase{K::IcmpError, 3, 0, 11002}, StatusCase{K::IcmpError, 3, 1, 11003},
                      StatusCase{K::IcmpError, 3, 2, 11004}, StatusCase{K::IcmpError, 3, 3, 11005},
                      StatusCase{K::IcmpError, 3, 4, 11009}, StatusCase{K::IcmpError, 3, 5, 11012},
                      StatusCase{K::IcmpError, 3, 6, 11002}, StatusCase{K::IcmpError, 3, 13, 11003},
                      StatusCase{K::IcmpError, 11, 0, 11013}, StatusCase{K::IcmpError, 11, 1, 11014},
                      StatusCase{K::IcmpError, 12, 0, 11015}, StatusCase{K::IcmpError, 4, 0, 11016},
                      StatusCase{K::IcmpError, 5, 1, 11050}));

TEST(SendEchoTest, FillsTheReplyFromA500MsEchoAndCutsEchoedDataAt250Bytes)
{
    FakeEchoService echo;
    echo.outcome.kind = EchoOutcome::Kind::Reply;
    echo.outcome.from = 0x0100007f;
    echo.outcome.roundTripMs = 7;
    echo.outcome.ttl = 64;
    const char data[] = "Echo This";
    echo.outcome.data.assign(reinterpret_cast<const std::byte*>(data),
                             reinterpret_cast<const std::byte*>(data) + 9);
    EchoReply reply;
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", "Echo This", reply), 0);
    EXPECT_EQ(reply.Address, 0x0100007fu);
    EXPECT_EQ(reply.RoundTripTime, 7u);
    EXPECT_EQ(reply.Ttl, 64);
    EXPECT_EQ(reply.DataSize, 9);
    EXPECT_EQ(std::memcmp(reply.Data.data(), "Echo This", 9), 0);
    ASSERT_EQ(echo.requests.size(), 1u);
    EXPECT_EQ(echo.requests[0].address, 0x0100007fu);
    EXPECT_EQ(std::memcmp(echo.requests[0].payload.data(), "Echo This", 9), 0);
    EXPECT_EQ(echo.requests[0].timeout, std::chrono::milliseconds(500));

    echo.outcome.data.assign(400, std::byte{'x'});
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", QString(400, u'x'), reply), 0);
    EXPECT_EQ(reply.DataSize, 250);
}

TEST(SendEchoTest, ABadAddressGivesMinusOneAndSendsNothing)
{
    FakeEchoService echo;
    for (const char* address : {"255.255.255.255", "host.example", "1.2.3.4.5", ""}) {
        EchoReply reply;
        EXPECT_EQ(ModWsk::SendEcho(echo, address, "Echo This", reply), -1) << address;
        EXPECT_EQ(reply.DataSize, 0);
    }
    EXPECT_TRUE(echo.requests.empty());
}

TEST(PingIPTest, ReportsTheRoundTripOrTheStatusText)
{
    FakeEchoService echo;
    echo.outcome.kind = EchoOutcome::Kind::Reply;
    echo.outcome.roundTripMs = 1234;
    EXPECT_EQ(ModWsk::PingIP(echo, "127.0.0.1"), "Success - Round Time : 1234 ms");
    echo.outcome.kind = EchoOutcome::Kind::Timeout;
    EXPECT_EQ(ModWsk::PingIP(echo, "10.9.9.9"), "ip req timed out");
    echo.outcome.kind = EchoOutcome::Kind::NoSocket;
    EXPECT_EQ(ModWsk::PingIP(echo, "10.9.9.9"), "ip general failure");
    EXPECT_EQ(ModWsk::PingIP(echo, "255.255.255.255"), "inet_addr: bad IP format");
    EXPECT_EQ(echo.requests.size(), 3u);
}

} // namespace
} // namespace qb
