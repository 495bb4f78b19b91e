#include "fakes/fake_interface_table.h"
#include "traffic/ip_helper.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

InterfaceRow Loopback(uint64_t received, uint64_t sent)
{
    InterfaceRow row;
    row.name = row.description = "lo";
    row.type = 24;
    row.octetsReceived = received;
    row.octetsSent = sent;
    return row;
}

class IpHelperTest : public ::testing::Test {
protected:
    test::FakeInterfaceTable source;
    CIpHelper helper{source};
};

// Reading a namespace's real interfaces is pinned by the integration tests.
TEST_F(IpHelperTest, EveryRowBecomesItsOwnItemInTableOrderWithBoundedTextsAndCountsTowardsTheTotals)
{
    for (uint32_t i = 0; i < 45; ++i) {
        source.table.rows.push_back(Loopback(i, 2 * i));
        source.table.rows.back().name = "veth" + std::to_string(i);
    }
    source.table.rows[0].description = std::string(300, 'd');
    source.table.rows[0].physicalAddress = {0x00, 0x50, 0x56, 0xC0, 0x00, 0x08};
    source.table.rows[1].physicalAddress = std::vector<uint8_t>(20, 0xAB);
    const auto interfaces = helper.Interfaces();
    ASSERT_EQ(interfaces->Count(), 45);
    EXPECT_EQ(interfaces->Item(45)->InterfaceName, "veth44");
    EXPECT_EQ(interfaces->Item(1)->InterfaceDescription.size(), 256u);
    EXPECT_EQ(interfaces->Item(1)->AdapterAddress, "00-50-56-C0-00-8");
    EXPECT_EQ(interfaces->Item(2)->AdapterAddress, "AB-AB-AB-AB-AB-AB-AB-AB");
    EXPECT_EQ(helper.BytesReceived(), 44 * 45 / 2);
    EXPECT_EQ(helper.BytesSent(), 44 * 45);
    EXPECT_EQ(interfaces->Item(0), nullptr);
    EXPECT_EQ(interfaces->Item(46), nullptr);
    interfaces->Remove(46); // positions outside the collection are ignored
    interfaces->Remove(1);
    EXPECT_EQ(interfaces->Item(1)->InterfaceName, "veth1");
}

TEST_F(IpHelperTest, EachReadIsAFreshSnapshotWhoseTotalsNeitherWrapNorOverflow)
{
    source.table.rows = {Loopback(3'000'000'000ULL, 5'000'000'000ULL), Loopback(3'000'000'000ULL, 1)};
    const auto first = helper.Interfaces();
    EXPECT_EQ(helper.BytesReceived(), 6'000'000'000LL);
    EXPECT_EQ(helper.BytesSent(), 5'000'000'001LL);
    // A row that would overflow a total is left out of it.
    source.table.rows = {Loopback(INT64_MAX - 10, 0), Loopback(100, 0), Loopback(5, 0)};
    const auto second = helper.Interfaces();
    EXPECT_EQ(helper.BytesReceived(), INT64_MAX - 5);
    EXPECT_EQ(first->Item(1)->OctetsReceived, 3'000'000'000LL);
    EXPECT_EQ(second->Item(1)->OctetsReceived, INT64_MAX - 10);
}

TEST_F(IpHelperTest, NoInterfaceTableIsToldOncePerRunAndOtherFailuresSilently)
{
    std::vector<std::string> messages;
    helper.ShowMessage = [&messages](const std::string& text) { messages.push_back(text); };
    source.table.rows = {Loopback(10, 10)};
    helper.Interfaces();
    source.table.status = InterfaceTable::Status::NotSupported;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(helper.Interfaces()->Count(), 0);
        EXPECT_EQ(helper.BytesReceived(), 0);
    }
    source.table.status = InterfaceTable::Status::Failed;
    EXPECT_EQ(helper.Interfaces()->Count(), 0);
    EXPECT_EQ(helper.BytesSent(), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"IP Helper is not supported by this system."});
}

} // namespace
} // namespace qb
