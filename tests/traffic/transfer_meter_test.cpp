#include "fakes/fake_interface_table.h"
#include "traffic/ip_helper.h"
#include "traffic/transfer_meter.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <chrono>
#include <vector>

namespace qb {
namespace {

// Just under 2^32, so that every amount in these tests crosses the old 32-bit limit.
constexpr uint64_t kStartReceived = 4'294'967'000ULL;

InterfaceRow Row(const std::string& description, uint32_t type, uint64_t received = 0, uint64_t sent = 0)
{
    InterfaceRow row;
    row.name = row.description = description;
    row.type = type;
    row.octetsReceived = received;
    row.octetsSent = sent;
    return row;
}

// Pins the C locale for a test's lifetime, from before the meter writes its first texts.
struct LocalePin {
    LocalePin() { QLocale::setDefault(QLocale::c()); }
    ~LocalePin() { QLocale::setDefault(saved); }
    QLocale saved;
};

// The interface source with one Ethernet interface, and a meter on it with a fake clock and hooks that
// record what they are asked.
class TrafficTest : public ::testing::Test {
protected:
    LocalePin localePin;
    test::FakeInterfaceTable source;
    CIpHelper helper{source};
    std::chrono::nanoseconds now = std::chrono::hours(1);
    int storedConnection = 0;
    std::vector<int> states;
    int timer1Stops = 0;
    int timer1Starts = 0;
    TransferMeter meter{helper,
                        {[this](int state) { states.push_back(state); }, [this] { return storedConnection; },
                         [this] { ++timer1Stops; }, [this] { ++timer1Starts; }},
                        [this] { return now; }};
    const TrafficLabels& labels = meter.Labels();

    void SetUp() override
    {
        source.table.rows = {Row("eth0", 6, kStartReceived, 1'000'000)};
        meter.LoadConnectionList();
    }
    // Moves the clock on, changes the totals by the given amounts and runs one meter tick.
    TransferMeter::TickResult Tick(int ms, int64_t received, int64_t sent)
    {
        now += std::chrono::milliseconds(ms);
        source.table.rows[0].octetsReceived += static_cast<uint64_t>(received);
        source.table.rows[0].octetsSent += static_cast<uint64_t>(sent);
        return meter.MeterTick();
    }
};

TEST_F(TrafficTest, RatesArePerSecondOfEachTicksOwnLengthInBytesOrKbByTheByteCountShown)
{
    const struct {
        int tickMs;
        int64_t amount;
        const char* text;
    } cases[] = {{1000, 512, "512 BS "},     {1000, 1536, "1.50 KBS "},
                 {100, 512, "5.00 KBS "},    {100, 51, "510 BS "},
                 {300, 100, "333 BS "},      {1000, 1023, "1023 BS "},
                 {3000, 3071, "1.00 KBS "},  {1000, 1030, "1.01 KBS "},
                 {1000, -1536, "-1536 BS "}, {500, 2'097'152, "4096.00 KBS "}};
    EXPECT_FALSE(meter.MeterTick().pointAdded); // the first tick only records the totals
    EXPECT_EQ(QStringList({labels.lblDSpeed, labels.lblRecv, labels.lblType}),
              QStringList({"0 BS ", "4,194,304 KB", "eth0 "})); // 4294967000 / 1024 = 4194303.7
    for (const auto& c : cases) {
        EXPECT_TRUE(Tick(c.tickMs, c.amount, c.amount).pointAdded);
        EXPECT_EQ(QStringList({labels.lblDSpeed, labels.lblUSpeed}), QStringList(2, c.text))
            << c.amount << " bytes in " << c.tickMs << " ms";
    }
}

TEST_F(TrafficTest, MaximaAndAveragesArePerSecondAndANegativeAmountOnlyLowersTheAverage)
{
    meter.MeterTick();
    Tick(100, 1024, 0); // 10240 B/s
    EXPECT_EQ(labels.lblDownloadSpeedTop, "Maximum download: 10.00 Kb/S");
    EXPECT_EQ(labels.lblDownloadSpeedAverage, "Average download: 5.00 Kb/S");
    Tick(1000, 2048, 512);
    EXPECT_EQ(meter.AvgDownload(), 3584);
    EXPECT_EQ(labels.lblUploadSpeedTop, "Maximum upload: 0.50 Kb/S");
    EXPECT_EQ(labels.lblUploadSpeedAverage, "Average upload: 0.25 Kb/S");
    Tick(1000, -9216, 0); // an interface went away
    EXPECT_EQ(meter.MaxDownload(), 10240);
    EXPECT_EQ(labels.lblDownloadSpeedAverage, "Average download: -2.75 Kb/S");
    Tick(1000, 2814, 0); // an average of -1 B/s rounds to zero, which shows no minus sign
    EXPECT_EQ(labels.lblDownloadSpeedAverage, "Average download: 0.00 Kb/S");
}

TEST_F(TrafficTest, TotalsAndRatesAreGroupedAlikeInEveryLocaleAndRoundedHalfAwayFromZero)
{
    QLocale::setDefault(QLocale::German); // the fixture restores the default
    TransferMeter fresh(helper, {}, [this] { return now; });
    source.table.rows[0].octetsReceived = 1'234'566ULL * 1024 + 512; // 1234566.5 KB
    fresh.MeterTick();
    EXPECT_EQ(fresh.Labels().lblRecv, "1,234,567 KB");
    now += std::chrono::seconds(1);
    source.table.rows[0].octetsReceived += 1'264'197'120; // 1234567.5 KB/s
    fresh.MeterTick();
    EXPECT_EQ(fresh.Labels().lblDownloadSpeedTop, "Maximum download: 1,234,567.50 Kb/S");
    EXPECT_EQ(fresh.Labels().lblDSpeed, "1234567.50 KBS ");
}

TEST_F(TrafficTest, AGraphPointIsTheAveragePer100MsInKbRoundedCutAndLiftedBy5)
{
    // The first real tick's average is half its rate: 6141952 bytes in 100 s average 2.999 KB per 100 ms.
    const std::tuple<int, int64_t, double> cases[] = {
        {100, 0, 5},         {100'000, 6'141'952, 8}, {100'000, 6'131'712, 7},
        {100, 204'800, 105}, {100, -204'800, -95},    {1000, -2, 5},
    };
    for (const auto& [ms, amount, point] : cases) {
        TransferMeter fresh(helper, {}, [this] { return now; });
        fresh.MeterTick();
        now += std::chrono::milliseconds(ms);
        source.table.rows[0].octetsReceived += static_cast<uint64_t>(amount);
        fresh.MeterTick();
        GraphSeries expected(99, 0.0);
        expected.push_back(point);
        EXPECT_EQ(*fresh.DataCollection(), expected) << amount << " in " << ms << " ms";
    }
}

TEST_F(TrafficTest, AQuietWatchdogStopsTimer1OnceAndTrafficEitherWayStartsItAgain)
{
    meter.MeterTick();
    Tick(1000, 2048, 1024);
    meter.Watchdog(); // something was received: the maxima are cleared, the monitor keeps running
    EXPECT_EQ(meter.MaxDownload() + meter.MaxUpload(), 0);
    Tick(100, 0, 500); // sending alone does not keep the monitor running
    meter.Watchdog();
    meter.Watchdog();
    EXPECT_EQ(timer1Stops, 1);
    Tick(100, 0, 0);
    EXPECT_EQ(timer1Starts, 0);
    Tick(100, 0, 10);
    EXPECT_EQ(timer1Starts, 1);
    meter.Watchdog();
    Tick(100, 300, 0);
    Tick(100, 300, 0); // a running timer is left alone, so its interval is not restarted
    EXPECT_EQ(timer1Stops, 2);
    EXPECT_EQ(timer1Starts, 2);
}

TEST_F(TrafficTest, ATickThatCannotReadTheTableOrComesWithinAMillisecondLeavesItsTrafficToTheNext)
{
    meter.MeterTick();
    Tick(100, 512, 0);
    const auto rows = source.table.rows;
    source.table.rows.clear();
    const auto failed = Tick(100, 0, 0);
    EXPECT_FALSE(failed.pointAdded || failed.listRebuilt);
    EXPECT_EQ(labels.lblRecv, "4,194,304 KB");
    EXPECT_EQ(meter.ConnectionList().entries.size(), 1);
    source.table.rows = rows;
    Tick(200, 0, 0);
    EXPECT_EQ(meter.MaxDownload(), 5120); // from the tick before the failure, not a burst of the totals
    EXPECT_EQ(labels.lblDSpeed, "0 BS ");
    EXPECT_FALSE(Tick(0, 512, 0).pointAdded);
    EXPECT_EQ(labels.lblDSpeed, "0 BS ");
    Tick(1000, 0, 0);
    EXPECT_EQ(labels.lblDSpeed, "512 BS ");
}

TEST_F(TrafficTest, TheActivityTickShowsWhatGrewTheFirstInterfacesTypeAndTheTotalsUnlessItCannotReadThem)
{
    meter.ActivityTick(); // the first look compares with nothing: 0
    for (const auto& [received, sent] :
         {std::pair{10, 10}, {0, 0}, {10, 0}, {0, 10}, {-10, -10}, {-10, 10}}) {
        source.table.rows[0].octetsReceived += static_cast<uint64_t>(received);
        source.table.rows[0].octetsSent += static_cast<uint64_t>(sent);
        meter.ActivityTick();
    }
    EXPECT_EQ(states, (std::vector<int>{0, 0, 1, 2, 3, 1, 3}));
    meter.SetSelectedConnection(1);
    const std::pair<uint32_t, const char*> types[] = {
        {1, "Other"}, {6, "Ethernet"},  {9, "TokenRing"}, {15, "FDDI"},
        {23, "PPP"},  {24, "Loopback"}, {28, "SLIP"},
    };
    for (const auto& [type, text] : types) {
        source.table.rows = {Row("first", type), Row("second", 6)};
        meter.ActivityTick();
        EXPECT_EQ(labels.Label16, "Connection: " + QString(text));
    }
    source.table.rows = {Row("eth0", 71, 1'000'000)}; // a type the page does not name leaves the label
    meter.ActivityTick();
    EXPECT_EQ(QStringList({labels.Label16, labels.Label10, labels.Label11}),
              QStringList({"Connection: SLIP", "Received: 976.56 KB", "Sent: 0 Bytes"}));
    source.table.rows.clear();
    meter.ActivityTick();
    EXPECT_EQ(labels.Label10, "Received: 976.56 KB");
    EXPECT_EQ(states.size(), 15u);
}

TEST_F(TrafficTest, TheListSelectsTheStoredPositionOnlyWhenItExistsAndIsRebuiltWhenTheCountChanges)
{
    source.table.rows = {Row("eth0", 6), Row("lo", 24), Row("wlan0", 71)};
    for (const auto& [stored, selected] : {std::pair{0, 0}, {2, 2}, {3, 0}, {100, 0}, {-1, 0}}) {
        storedConnection = stored;
        meter.LoadConnectionList();
        EXPECT_EQ(meter.ConnectionList().entries, (QStringList{"eth0 ", "lo ", "wlan0 "}));
        EXPECT_EQ(meter.ConnectionList().selected, selected) << stored;
    }
    meter.MeterTick();
    storedConnection = 1;
    source.table.rows.pop_back();
    EXPECT_TRUE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().selected, 1);
    meter.SetSelectedConnection(0);
    EXPECT_FALSE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().selected, 0);
    source.table.rows.pop_back();
    EXPECT_TRUE(Tick(100, 0, 0).listRebuilt);
    EXPECT_EQ(meter.ConnectionList().selected, 0); // the stored position no longer exists
}

TEST_F(TrafficTest, TheTypeLabelShowsTheSelectedDescriptionEscapedAndKeepsItWithoutASelection)
{
    source.table.rows = {Row("eth0", 6), Row("br\x1b[2J\n0", 1)};
    meter.LoadConnectionList();
    meter.SetSelectedConnection(1);
    meter.MeterTick();
    EXPECT_EQ(labels.lblType, "br\\x1B[2J\\x0A0 ");
    EXPECT_EQ(meter.ConnectionList().entries.at(1), "br\\x1B[2J\\x0A0 ");
    meter.SetSelectedConnection(-1);
    Tick(100, 3072, 0);
    EXPECT_EQ(labels.lblType, "br\\x1B[2J\\x0A0 ");
    EXPECT_EQ(labels.lblRecv, "3 KB"); // the rest of the tick still runs
}

// Reading a namespace's real interfaces is pinned by the integration tests.
TEST_F(TrafficTest, EveryRowBecomesItsOwnItemInTableOrderWithBoundedTextsAndCountsTowardsTheTotals)
{
    source.table.rows.clear();
    for (uint32_t i = 0; i < 45; ++i) {
        source.table.rows.push_back(Row("lo", 24, i, 2 * i));
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

    // Each read is a fresh snapshot whose totals neither wrap nor overflow: a row that would overflow a
    // total is left out of it.
    source.table.rows = {Row("lo", 24, 3'000'000'000ULL, 5'000'000'000ULL),
                         Row("lo", 24, 3'000'000'000ULL, 1)};
    helper.Interfaces();
    EXPECT_EQ(helper.BytesReceived(), 6'000'000'000LL);
    EXPECT_EQ(helper.BytesSent(), 5'000'000'001LL);
    source.table.rows = {Row("lo", 24, INT64_MAX - 10, 0), Row("lo", 24, 100, 0), Row("lo", 24, 5, 0)};
    EXPECT_EQ(helper.Interfaces()->Item(1)->OctetsReceived, INT64_MAX - 10);
    EXPECT_EQ(helper.BytesReceived(), INT64_MAX - 5);
    EXPECT_EQ(interfaces->Item(1)->InterfaceName, "veth1"); // the earlier snapshot is its own
}

TEST_F(TrafficTest, NoInterfaceTableIsToldOncePerRunAndOtherFailuresSilently)
{
    std::vector<std::string> messages;
    helper.ShowMessage = [&messages](const std::string& text) { messages.push_back(text); };
    source.table.rows = {Row("lo", 24, 10, 10)};
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
