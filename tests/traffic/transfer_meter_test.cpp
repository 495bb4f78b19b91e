#include "traffic/meter_fixture.h"

namespace qb {
namespace {

using test::kStartReceived;
using test::TransferMeterTest;

TEST_F(TransferMeterTest, FirstTickOnlyRecordsTheTotals)
{
    EXPECT_FALSE(meter.MeterTick().pointAdded);
    EXPECT_EQ(meter.PrevReceived(), static_cast<int64_t>(kStartReceived));
    EXPECT_EQ(meter.MaxDownload(), 0);
    EXPECT_EQ(meter.AvgDownload(), 0);
    EXPECT_EQ(*meter.DataCollection(), GraphSeries(100, 0.0));
    EXPECT_EQ(labels().lblDSpeed, "0 BS ");
    EXPECT_EQ(labels().lblRecv, "4,194,304 KB"); // 4294967000 / 1024 = 4194303.7
    EXPECT_EQ(labels().lblType, "eth0 ");
}

struct SpeedCase {
    int tickMs;
    int64_t amount;
    const char* text;
};

void PrintTo(const SpeedCase& c, std::ostream* os)
{
    *os << c.amount << " bytes in " << c.tickMs << " ms";
}

class SpeedLabelTest : public TransferMeterTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SpeedLabelTest, ShowsTheAmountPerSecondOfTheMeasuredTick)
{
    meter.MeterTick();
    EXPECT_TRUE(Tick(GetParam().tickMs, GetParam().amount, GetParam().amount).pointAdded);
    EXPECT_EQ(labels().lblDSpeed, GetParam().text);
    EXPECT_EQ(labels().lblUSpeed, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, SpeedLabelTest,
    ::testing::Values(SpeedCase{1000, 512, "512 BS "}, SpeedCase{1000, 1536, "1.50 KBS "},
                      SpeedCase{100, 512, "5.00 KBS "}, SpeedCase{100, 51, "510 BS "},
                      SpeedCase{300, 100, "333 BS "}, SpeedCase{1000, 1023, "1023 BS "},
                      SpeedCase{3000, 3071, "1.00 KBS "}, SpeedCase{1000, 1030, "1.01 KBS "},
                      SpeedCase{1000, -1536, "-1536 BS "}, SpeedCase{500, 2'097'152, "4096.00 KBS "}));

TEST_F(TransferMeterTest, MaximaAndAveragesArePerSecondAndANegativeAmountOnlyLowersTheAverage)
{
    meter.MeterTick();
    Tick(100, 1024, 0); // 10240 B/s
    EXPECT_EQ(meter.MaxDownload(), 10240);
    EXPECT_EQ(meter.AvgDownload(), 5120);
    EXPECT_EQ(labels().lblDownloadSpeedTop, "Maximum download: 10.00 Kb/S");
    EXPECT_EQ(labels().lblDownloadSpeedAverage, "Average download: 5.00 Kb/S");
    Tick(1000, 2048, 512);
    EXPECT_EQ(meter.AvgDownload(), 3584);
    EXPECT_EQ(labels().lblUploadSpeedTop, "Maximum upload: 0.50 Kb/S");
    EXPECT_EQ(labels().lblUploadSpeedAverage, "Average upload: 0.25 Kb/S");
    Tick(1000, -9216, 0); // an interface went away
    EXPECT_EQ(meter.MaxDownload(), 10240);
    EXPECT_EQ(labels().lblDownloadSpeedAverage, "Average download: -2.75 Kb/S");
    Tick(1000, 2814, 0); // an average of -1 B/s rounds to zero, which shows no minus sign
    EXPECT_EQ(labels().lblDownloadSpeedAverage, "Average download: 0.00 Kb/S");
}

struct LocaleCase {
    QLocale::Language language;
    const char* totals;
    const char* maximum;
    const char* rate;
};

class LocaleTest : public TransferMeterTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(LocaleTest, TotalsAndRatesAreGroupedAndRoundedHalfAwayFromZero)
{
    QLocale::setDefault(QLocale(GetParam().language));
    source.table.rows[0].octetsReceived = 1'234'566ULL * 1024 + 512; // 1234566.5 KB
    meter.MeterTick();
    EXPECT_EQ(labels().lblRecv, GetParam().totals);
    Tick(1000, 1'264'197'120, 0); // 1234567.5 KB/s
    EXPECT_EQ(labels().lblDownloadSpeedTop, GetParam().maximum);
    EXPECT_EQ(labels().lblDSpeed, GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleTest,
    ::testing::Values(LocaleCase{QLocale::C, "1,234,567 KB", "Maximum download: 1,234,567.50 Kb/S",
                                 "1234567.50 KBS "},
                      LocaleCase{QLocale::German, "1.234.567 KB", "Maximum download: 1.234.567,50 Kb/S",
                                 "1234567,50 KBS "}));

struct PointCase {
    int tickMs;
    int64_t amount;
    double point;
};

class GraphPointTest : public TransferMeterTest, public ::testing::WithParamInterface<PointCase> {};

TEST_P(GraphPointTest, IsTheAveragePer100MsInKbRoundedCutAndLiftedBy5)
{
    meter.MeterTick();
    Tick(GetParam().tickMs, GetParam().amount, 0);
    const auto series = meter.DataCollection();
    ASSERT_EQ(series->size(), 100u);
    EXPECT_EQ(series->back(), GetParam().point);
    EXPECT_EQ(series->front(), 0);
}

// The first real tick's average is half its rate: 6141952 bytes in 100 s average 2.999 KB per 100 ms.
INSTANTIATE_TEST_SUITE_P(Averages, GraphPointTest,
                         ::testing::Values(PointCase{100, 0, 5}, PointCase{100'000, 6'141'952, 8},
                                           PointCase{100'000, 6'131'712, 7}, PointCase{100, 204'800, 105},
                                           PointCase{100, -204'800, -95}, PointCase{1000, -2, 5}));

TEST_F(TransferMeterTest, AQuietWatchdogStopsTimer1OnceAndTrafficEitherWayStartsItAgain)
{
    meter.MeterTick();
    Tick(1000, 2048, 1024);
    meter.Watchdog(); // something was received: the maxima are cleared, the monitor keeps running
    EXPECT_EQ(meter.MaxDownload(), 0);
    EXPECT_EQ(meter.MaxUpload(), 0);
    Tick(100, 0, 500); // sending alone does not keep the monitor running
    meter.Watchdog();
    meter.Watchdog();
    EXPECT_EQ(timer1Stops, 1);
    EXPECT_TRUE(meter.Timer1Stopped());
    Tick(100, 0, 0);
    EXPECT_EQ(timer1Starts, 0);
    Tick(100, 0, 10);
    EXPECT_EQ(timer1Starts, 1);
    EXPECT_FALSE(meter.Timer1Stopped());
    meter.Watchdog();
    Tick(100, 300, 0);
    Tick(100, 300, 0); // a running timer is left alone, so its interval is not restarted
    EXPECT_EQ(timer1Stops, 2);
    EXPECT_EQ(timer1Starts, 2);
}

TEST_F(TransferMeterTest, ATableThatCannotBeReadChangesNothingAndCountsNoTraffic)
{
    meter.MeterTick();
    Tick(100, 512, 0);
    const TrafficLabels before = labels();
    const auto rows = source.table.rows;
    source.table.rows.clear();
    const auto failed = Tick(100, 0, 0);
    EXPECT_FALSE(failed.pointAdded || failed.listRebuilt);
    EXPECT_EQ(labels().lblRecv, before.lblRecv);
    EXPECT_EQ(meter.ConnectionList().entries.size(), 1);
    source.table.rows = rows;
    Tick(200, 0, 0);
    EXPECT_EQ(meter.MaxDownload(), 5120); // from the tick before the failure, not a burst of the totals
    EXPECT_EQ(labels().lblDSpeed, "0 BS ");
}

TEST_F(TransferMeterTest, ATickWithinAMillisecondLeavesItsAmountToTheNextTick)
{
    meter.MeterTick();
    EXPECT_FALSE(Tick(0, 512, 0).pointAdded);
    EXPECT_EQ(labels().lblDSpeed, "0 BS ");
    Tick(1000, 0, 0);
    EXPECT_EQ(labels().lblDSpeed, "512 BS ");
}

} // namespace
} // namespace qb
