#pragma once
// The Data transfer page's figures: totals, rates, maxima and averages, the connection type, the activity
// state and the points of the traffic graph.
#include "traffic/ip_helper.h"

#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace qb {

// Time since an arbitrary fixed start; never goes backwards.
using MonotonicClock = std::function<std::chrono::nanoseconds()>;
MonotonicClock SteadyClock();

// The graph's data series, oldest point first. Shared between the meter that fills it and the graph.
using GraphSeries = std::deque<double>;

// Texts of the Data transfer page's labels, one member per control of that name. The page copies every
// member into its label after each tick, as plain text.
struct TrafficLabels {
    QString lblType;
    QString lblRecv;
    QString lblSent;
    QString lblDownloadSpeedTop;
    QString lblUploadSpeedTop;
    QString lblDownloadSpeedAverage;
    QString lblUploadSpeedAverage;
    QString lblDSpeed;
    QString lblUSpeed;
    QString Label16;
    QString Label10;
    QString Label11;

    struct Field {
        const char* name;
        QString TrafficLabels::*text;
    };
    // Control name and member of every label, for pages that find their labels by object name.
    static const std::array<Field, 12> kFields;
};

// Entries of cboConnectionType (each description followed by one blank) and the selected position,
// -1 when nothing is selected.
struct ConnectionTypeList {
    QStringList entries;
    int selected = -1;
};

// What the meter needs from the main window. Every hook may be left empty.
struct TransferMeterHooks {
    std::function<void(int status)> SetActivityStatus; // ConStatus1.SetStatus, 0 to 3
    std::function<int()> ReadConnectionSetting;        // stored "Connection" position; 0 when missing
    std::function<void()> StopTimer1;
    std::function<void()> StartTimer1;
};

// The transfer meter: `tmrUpdate`'s tick, `Timer2`'s activity tick and `Timer11`'s watchdog. Rates are
// per second, measured over each tick's real length; the graph gets the per-100-ms equivalent of the
// download average. Numbers use "," to group and "." for decimals whatever the locale. UI thread only.
class TransferMeter {
public:
    static constexpr std::size_t kGraphPoints = 100;

    TransferMeter(CIpHelper& ipHelper, TransferMeterHooks hooks, MonotonicClock clock = SteadyClock());

    struct TickResult {
        bool pointAdded = false;  // a point joined DataCollection: redraw the graph
        bool listRebuilt = false; // refill cboConnectionType from ConnectionList()
    };
    // The meter tick. The first tick only records the totals; a tick that cannot read the interface
    // table (empty snapshot), or that follows the previous one within 1 ms, changes no figure and
    // leaves its traffic to the next tick.
    TickResult MeterTick();
    // The activity tick: connection type, totals in size units, and ConStatus1's state.
    void ActivityTick();
    // The watchdog: clears the maxima, or stops Timer1 when nothing was received since the last clear.
    // A meter tick that sees bytes received or sent starts Timer1 again.
    void Watchdog();

    // Fills the list from a fresh snapshot and selects the stored position (start-up).
    void LoadConnectionList();
    // The user chose another entry of cboConnectionType (-1: none).
    void SetSelectedConnection(int position);
    const ConnectionTypeList& ConnectionList() const { return m_list; }

    const TrafficLabels& Labels() const { return m_labels; }
    std::shared_ptr<GraphSeries> DataCollection() const { return m_dataCollection; }

    int64_t PrevReceived() const { return m_prevReceived; }
    int64_t PrevSent() const { return m_prevSent; }
    double MaxDownload() const { return m_maxDownload; } // bytes per second
    double MaxUpload() const { return m_maxUpload; }
    double AvgDownload() const { return m_avgDownload; }
    double AvgUpload() const { return m_avgUpload; }
    bool Timer1Stopped() const { return m_timer1Stopped; }

private:
    void RebuildList(const CInterfaces& interfaces);
    void WriteRateLabels(double rateReceived, double rateSent);
    void AddGraphPoint();

    CIpHelper& m_ipHelper;
    TransferMeterHooks m_hooks;
    MonotonicClock m_clock;
    TrafficLabels m_labels;
    ConnectionTypeList m_list;
    std::shared_ptr<GraphSeries> m_dataCollection;

    bool m_recorded = false;
    std::chrono::nanoseconds m_prevTime{0};
    int64_t m_prevReceived = 0;
    int64_t m_prevSent = 0;
    double m_maxDownload = 0;
    double m_maxUpload = 0;
    double m_avgDownload = 0;
    double m_avgUpload = 0;

    int64_t m_activityPrevReceived = 0;
    int64_t m_activityPrevSent = 0;

    bool m_timer1Stopped = false;
};

// Number patterns of the page, with "," grouping and "." decimals, rounding half away from zero.
// "###,###,###,###,##0": whole, grouped.
QString GroupedWhole(double value);
// "###,###,###,###,#0.#0": two decimals, grouped.
QString GroupedTwoDecimals(double value);
// "0.#0": two decimals, not grouped.
QString TwoDecimals(double value);
// "0": whole, not grouped.
QString Whole(double value);

// "Connection: Ethernet" and the others; empty for a type code the page does not name.
QString ConnectionTypeText(int32_t interfaceType);

} // namespace qb
