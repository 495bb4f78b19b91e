#pragma once
// A transfer meter on a fake interface table, with a fake clock and hooks that record what they are asked.
#include "fakes/fake_interface_table.h"
#include "traffic/transfer_meter.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <chrono>
#include <vector>

namespace qb::test {

// Just under 2^32, so that every amount in these tests crosses the old 32-bit limit.
constexpr uint64_t kStartReceived = 4'294'967'000ULL;
constexpr uint64_t kStartSent = 1'000'000ULL;

inline InterfaceRow Row(const std::string& description, uint32_t type)
{
    InterfaceRow row;
    row.name = description;
    row.description = description;
    row.type = type;
    return row;
}

// Pins the C locale for a test's lifetime, from before the meter writes its first texts.
struct LocalePin {
    LocalePin() { QLocale::setDefault(QLocale::c()); }
    ~LocalePin() { QLocale::setDefault(saved); }
    QLocale saved;
};

class TransferMeterTest : public ::testing::Test {
protected:
    LocalePin localePin;
    FakeInterfaceTable source;
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

    void SetUp() override
    {
        source.table.rows = {Row("eth0", 6)};
        source.table.rows[0].octetsReceived = kStartReceived;
        source.table.rows[0].octetsSent = kStartSent;
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
    const TrafficLabels& labels() const { return meter.Labels(); }
};

} // namespace qb::test
