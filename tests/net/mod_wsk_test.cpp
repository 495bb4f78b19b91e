#include "fakes/fake_echo_service.h"
#include "fakes/fake_name_resolver.h"
#include "net/mod_wsk.h"
#include "net/threaded_host_lookup.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace qb {
namespace {

using test::FakeEchoService;

// Echoes over real sockets, and the codes a router's answers give, are pinned by the integration tests;
// the status texts are a fixed table, of which only its bounds are checked.
TEST(ModWskTest, CodesOutsideTheStatusTableShareOneText)
{
    for (int32_t code : {11000, 11024, 11049, 11051, 11254, 11256, 1, -2, 499, INT_MIN, INT_MAX})
        EXPECT_EQ(ModWsk::EchoStatusText(code), "unknown msg returned") << code;
    EXPECT_EQ(ModWsk::EchoStatusText(11023), "ip addr added");
    EXPECT_EQ(ModWsk::EchoStatusText(11255), "ip pending");
}

TEST(ModWskTest, ResolveHostNameGivesTheNameOrTheAddressWhichLastsUnlessTheResolverCouldNotAsk)
{
    test::FakeNameResolver resolver;
    const std::array<uint8_t, 16> v6{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const std::array<uint8_t, 16> linkLocal{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    resolver.Answer(IpAddress::FromIPv4(0x0100007f), "localhost");
    resolver.Answer(IpAddress::FromIPv4(0x0403020a), "");
    resolver.Answer(IpAddress::FromIPv4(0x0503020a), std::nullopt, true);
    resolver.Answer(IpAddress::FromIPv6(v6.data()), "six.example");
    const std::pair<const char*, HostAnswer> cases[] = {
        {"127.0.0.1", {"localhost", true}},       {"10.1.2.3", {"10.1.2.3", true}},  {"10.2.3.4", {"", true}},
        {"10.2.3.5", {"10.2.3.5", false}},        {"127.1", {"localhost", true}}, // inet_addr's short form
        {"2001:DB8:0::1", {"six.example", true}}, {"fe80::1%3", {"fe80::1%3", true}}};
    for (const auto& [address, answer] : cases)
        EXPECT_EQ(ModWsk::ResolveHostName(resolver, address), answer) << address;
    const QString nul = QStringLiteral("1.2.3.4") + QChar(0) + "junk";
    for (const QString& text :
         {QString("255.255.255.255"), QString("not an address"), QString(), QString("256.1.1.1"),
          QString::fromUtf16(u"\uff11.2.3.4"), nul, QString("2001:db8::1%3"), QString("fe80::1%"),
          QString("fe80::1%x"), QString("[::1]"), QString("::1") + QChar(0)})
        EXPECT_EQ(ModWsk::ResolveHostName(resolver, text), (HostAnswer{text, true}));
    EXPECT_EQ(resolver.Asked(), (std::vector{IpAddress::FromIPv4(0x0100007f), IpAddress::FromIPv4(0x0302010a),
                                             IpAddress::FromIPv4(0x0403020a), IpAddress::FromIPv4(0x0503020a),
                                             IpAddress::FromIPv4(0x0100007f), IpAddress::FromIPv6(v6.data()),
                                             IpAddress::FromIPv6(linkLocal.data(), 3)}));
}

TEST(ModWskTest, SendEchoMapsWhatCameBackToTheIpStatusCode)
{
    using K = EchoOutcome::Kind;
    const struct {
        K kind;
        uint8_t type;
        uint8_t code;
        int32_t status;
    } cases[] = {{K::Reply, 0, 0, 0},          {K::Timeout, 0, 0, 11010},    {K::LocalError, 0, 0, 11050},
                 {K::NoSocket, 0, 0, 11050},   {K::IcmpError, 3, 0, 11002},  {K::IcmpError, 3, 1, 11003},
                 {K::IcmpError, 3, 2, 11004},  {K::IcmpError, 3, 3, 11005},  {K::IcmpError, 3, 4, 11009},
                 {K::IcmpError, 3, 5, 11012},  {K::IcmpError, 3, 6, 11002},  {K::IcmpError, 3, 13, 11003},
                 {K::IcmpError, 11, 0, 11013}, {K::IcmpError, 11, 1, 11014}, {K::IcmpError, 12, 0, 11015},
                 {K::IcmpError, 4, 0, 11016},  {K::IcmpError, 5, 1, 11050}};
    for (const auto& c : cases) {
        FakeEchoService echo;
        echo.outcome.kind = c.kind;
        echo.outcome.icmpType = c.type;
        echo.outcome.icmpCode = c.code;
        EchoReply reply;
        EXPECT_EQ(ModWsk::SendEcho(echo, "10.0.0.1", "Echo This", reply), c.status)
            << int(c.type) << "/" << int(c.code);
        EXPECT_EQ(reply.Status, static_cast<uint32_t>(c.status));
    }
}

TEST(ModWskTest, SendEchoWaits500MsAndCutsEchoedDataAt250BytesAndABadAddressSendsNothing)
{
    FakeEchoService echo;
    echo.outcome.kind = EchoOutcome::Kind::Reply;
    echo.outcome.roundTripMs = 1234;
    echo.outcome.data.assign(400, std::byte{'x'});
    EchoReply reply;
    ASSERT_EQ(ModWsk::SendEcho(echo, "127.0.0.1", QString(400, u'x'), reply), 0);
    EXPECT_EQ(reply.DataSize, 250);
    ASSERT_EQ(echo.requests.size(), 1u);
    EXPECT_EQ(echo.requests[0].address, 0x0100007fu);
    EXPECT_EQ(echo.requests[0].timeout, std::chrono::milliseconds(500));
    EXPECT_EQ(ModWsk::PingIP(echo, "127.0.0.1"), "Success - Round Time : 1234 ms");

    for (const char* address : {"255.255.255.255", "host.example", "1.2.3.4.5", ""}) {
        EchoReply unsent;
        EXPECT_EQ(ModWsk::SendEcho(echo, address, "Echo This", unsent), -1) << address;
        EXPECT_EQ(unsent.DataSize, 0);
    }
    echo.outcome.kind = EchoOutcome::Kind::Timeout;
    EXPECT_EQ(ModWsk::PingIP(echo, "10.9.9.9"), "ip req timed out");
    EXPECT_EQ(echo.requests.size(), 3u);
}

using namespace std::chrono_literals;
using test::RunEvents;
using test::WaitUntil;

const IpAddress kLoopback = IpAddress::FromIPv4(0x0100007f); // 127.0.0.1

class ThreadedHostLookupTest : public ::testing::Test {
protected:
    ThreadedHostLookupTest()
    {
        resolver->Answer(kLoopback, "localhost");
        resolver->Hold(kLoopback);
    }
    HostLookup::Done Record()
    {
        return
            [this](const HostAnswer& answer) { answers << answer.name + (answer.lasting ? "" : " for now"); };
    }

    std::shared_ptr<test::FakeNameResolver> resolver = std::make_shared<test::FakeNameResolver>();
    QStringList answers;
};

TEST_F(ThreadedHostLookupTest, StartReturnsAtOnceAndAnswersComeOnTheCallingThreadFailuresAsTheAddress)
{
    ThreadedHostLookup lookup(resolver);
    std::vector<std::thread::id> answeredOn;
    for (const char* address : {"127.0.0.1", "10.1.2.3", "no address"}) {
        lookup.Start(address, [&](const HostAnswer& answer) {
            answers << answer.name;
            answeredOn.push_back(std::this_thread::get_id());
        });
    }
    // The first address is held, so the other two can only be answered when Start does not wait.
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == 2; }, 10s));
    answers.sort();
    EXPECT_EQ(answers, QStringList({"10.1.2.3", "no address"}));
    resolver->Release(kLoopback);
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == 3; }, 10s));
    EXPECT_EQ(answers.back(), "localhost");
    EXPECT_EQ(answeredOn, std::vector<std::thread::id>(3, std::this_thread::get_id()));
}

TEST_F(ThreadedHostLookupTest,
       SlowLookUpsTimeOutForNowTheirLateAnswersDroppedAndOnesQueuedPastTheirTimeNeverStart)
{
    ThreadedHostLookup lookup(resolver, 100ms);
    const auto start = std::chrono::steady_clock::now();
    QStringList addresses;
    for (int i = 1; i <= ThreadedHostLookup::kWorkers + 2; ++i) {
        addresses << "10.0.0." + QString::number(i);
        resolver->Hold(IpAddress::FromIPv4(0x0000000a | static_cast<uint32_t>(i) << 24));
        lookup.Start(addresses.back(), Record());
    }
    ASSERT_TRUE(resolver->WaitForAsked(ThreadedHostLookup::kWorkers, 10s));
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == addresses.size(); }, 10s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 90ms);
    for (int i = 1; i <= addresses.size(); ++i)
        resolver->Release(IpAddress::FromIPv4(0x0000000a | static_cast<uint32_t>(i) << 24));
    RunEvents(100ms);
    EXPECT_EQ(resolver->Asked().size(), static_cast<size_t>(ThreadedHostLookup::kWorkers));
    for (QString& address : addresses)
        address += " for now"; // every one timed out
    EXPECT_EQ(answers, addresses);
}

TEST_F(ThreadedHostLookupTest, NothingIsAnsweredAfterTheLookUpIsGone)
{
    {
        ThreadedHostLookup lookup(resolver);
        lookup.Start("127.0.0.1", Record());
        ASSERT_TRUE(resolver->WaitForAsked(1, 10s));
    }
    resolver->Release(kLoopback);
    RunEvents(100ms);
    EXPECT_TRUE(answers.isEmpty());
}

} // namespace
} // namespace qb
