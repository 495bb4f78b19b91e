#include "traffic/meter_fixture.h"

namespace qb {
namespace {

using test::Row;
using test::TransferMeterTest;

struct ActivityCase {
    int64_t received;
    int64_t sent;
    int state;
};

class ActivityStateTest : public TransferMeterTest, public ::testing::WithParamInterface<ActivityCase> {};

TEST_P(ActivityStateTest, FollowsWhatGrewSinceTheLastActivityTick)
{
    meter.ActivityTick();
    source.table.rows[0].octetsReceived += static_cast<uint64_t>(GetParam().received);
    source.table.rows[0].octetsSent += static_cast<uint64_t>(GetParam().sent);
    meter.ActivityTick();
    EXPECT_EQ(states, (std::vector<int>{0, GetParam().state})); // the first look compares with nothing
}

INSTANTIATE_TEST_SUITE_P(Growth, ActivityStateTest,
                         ::testing::Values(ActivityCase{10, 10, 0}, ActivityCase{0, 0, 1},
                                           ActivityCase{10, 0, 2}, ActivityCase{0, 10, 3},
                                           ActivityCase{-10, -10, 1}, ActivityCase{-10, 10, 3}));

struct TypeCase {
    uint32_t type;
    const char* text;
};

class ConnectionTypeTest : public TransferMeterTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ConnectionTypeTest, NamesTheTypeOfTheFirstInterfaceWhateverIsSelected)
{
    source.table.rows = {Row("first", GetParam().type), Row("second", 6)};
    meter.SetSelectedConnection(1);
    meter.ActivityTick();
    EXPECT_EQ(meter.Labels().Label16, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Codes, ConnectionTypeTest,
                         ::testing::Values(TypeCase{1, "Connection: Other"},
                                           TypeCase{6, "Connection: Ethernet"},
                                           TypeCase{9, "Connection: TokenRing"},
                                           TypeCase{15, "Connection: FDDI"}, TypeCase{23, "Connection: PPP"},
                                           TypeCase{24, "Connection: Loopback"},
                                           TypeCase{28, "Connection: SLIP"}));

TEST_F(TransferMeterTest, ActivityTickShowsTotalsButAnUnnamedTypeOrAnUnreadableTableLeaveTheLabels)
{
    source.table.rows[0].octetsReceived = 1'000'000;
    source.table.rows[0].octetsSent = 0;
    meter.ActivityTick();
    EXPECT_EQ(meter.Labels().Label10, "Received: 976.56 KB");
    EXPECT_EQ(meter.Labels().Label11, "Sent: 0 Bytes");
    source.table.rows[0].type = 71;
    source.table.rows[0].octetsReceived += 4096;
    meter.ActivityTick();
    EXPECT_EQ(meter.Labels().Label16, "Connection: Ethernet");
    const TrafficLabels before = meter.Labels();
    source.table.rows.clear();
    meter.ActivityTick();
    EXPECT_EQ(meter.Labels().Label10, before.Label10);
    EXPECT_EQ(states.size(), 2u);
}

struct SelectionCase {
    int stored;
    int selected;
};

class StoredConnectionTest : public TransferMeterTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(StoredConnectionTest, SelectsTheStoredPositionOnlyWhenItExists)
{
    source.table.rows = {Row("eth0", 6), Row("lo", 24), Row("wlan0", 71)};
    storedConnection = GetParam().stored;
    meter.LoadConnectionList();
    EXPECT_EQ(meter.ConnectionList().entries, (QStringList{"eth0 ", "lo ", "wlan0 "}));
    EXPECT_EQ(meter.ConnectionList().selected, GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Positions, StoredConnectionTest,
                         ::testing::Values(SelectionCase{0, 0}, SelectionCase{2, 2}, SelectionCase{3, 0},
                                           SelectionCase{100, 0}, SelectionCase{-1, 0}));

TEST_F(TransferMeterTest, TheListIsRebuiltWhenTheInterfaceCountChanges)
{
    meter.MeterTick();
    storedConnection = 1;
    source.table.rows.push_back(Row("wlan0", 71));
    EXPECT_TRUE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().entries, (QStringList{"eth0 ", "wlan0 "}));
    EXPECT_EQ(meter.ConnectionList().selected, 1);
    meter.SetSelectedConnection(0);
    EXPECT_FALSE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().selected, 0);
    source.table.rows.pop_back();
    EXPECT_TRUE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().selected, 0); // the stored position no longer exists
}

TEST_F(TransferMeterTest, TypeLabelShowsTheSelectedDescriptionAndKeepsItWithoutASelection)
{
    source.table.rows = {Row("eth0", 6), Row("br\x1b[2J\n0", 1)};
    meter.LoadConnectionList();
    meter.SetSelectedConnection(1);
    meter.MeterTick();
    EXPECT_EQ(meter.Labels().lblType, "br\\x1B[2J\\x0A0 ");
    EXPECT_EQ(meter.ConnectionList().entries.at(1), "br\\x1B[2J\\x0A0 ");
    meter.SetSelectedConnection(-1);
    Tick(100, 3072, 0);
    EXPECT_EQ(meter.Labels().lblType, "br\\x1B[2J\\x0A0 ");
    EXPECT_EQ(meter.Labels().lblRecv, "3 KB"); // the rest of the tick still runs
}

} // namespace
} // namespace qb
