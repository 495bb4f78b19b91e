#include "traffic/transfer_meter.h"

#include "base/text_format.h"

#include <QLocale>

#include <cmath>

namespace qb {
namespace {

constexpr double kKilo = 1024.0;
// The graph's scale was made for amounts per 100 ms tick; rates per second are ten times that.
constexpr double kTicksPerSecond = 10.0;
// The graph's points sit this far above the plot's bottom, so that an idle line stays visible.
constexpr double kGraphLift = 5.0;

// The same separators whatever the user's locale: "1,234.50" everywhere, as every other number shows.
// Made once: the meter formats a dozen numbers on every tick.
const QLocale& PageLocale(bool grouped)
{
    const auto make = [](bool grouping) {
        QLocale locale = QLocale::c();
        QLocale::NumberOptions options = locale.numberOptions();
        options.setFlag(QLocale::OmitGroupSeparator, !grouping);
        locale.setNumberOptions(options);
        return locale;
    };
    static const QLocale plain = make(false), grouping = make(true);
    return grouped ? grouping : plain;
}

// Rounds half away from zero, as the page's patterns do; a result of zero never shows a minus sign.
double RoundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return rounded == 0 ? 0.0 : rounded;
}

QString Format(double value, int decimals, bool grouped)
{
    return PageLocale(grouped).toString(RoundTo(value, decimals), 'f', decimals);
}

// Interface aliases are set from outside; control characters are shown as escapes, never acted on.
QString OutsideText(const std::string& text)
{
    QString shown;
    for (const QChar c : QString::fromStdString(text)) {
        if (c.category() == QChar::Other_Control)
            shown +=
                QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, '0');
        else
            shown += c;
    }
    return shown;
}

int64_t Difference(int64_t now, int64_t before)
{
    int64_t amount = 0;
    if (__builtin_sub_overflow(now, before, &amount))
        return 0;
    return amount;
}

QString KbText(int64_t bytes)
{
    return GroupedWhole(static_cast<double>(bytes) / kKilo) + " KB";
}

QString RateText(const char* caption, double bytesPerSecond)
{
    return caption + GroupedTwoDecimals(bytesPerSecond / kKilo) + " Kb/S";
}

QString SpeedText(double bytesPerSecond)
{
    // Decided on the shown byte count: a rate of 1023.6 must not read "1024 BS ".
    const double bytes = RoundTo(bytesPerSecond, 0);
    if (bytes / kKilo >= 1)
        return TwoDecimals(bytesPerSecond / kKilo) + " KBS ";
    return Whole(bytes) + " BS ";
}

} // namespace

const std::array<TrafficLabels::Field, 12> TrafficLabels::kFields = {{
    {"lblType", &TrafficLabels::lblType},
    {"lblRecv", &TrafficLabels::lblRecv},
    {"lblSent", &TrafficLabels::lblSent},
    {"lblDownloadSpeedTop", &TrafficLabels::lblDownloadSpeedTop},
    {"lblUploadSpeedTop", &TrafficLabels::lblUploadSpeedTop},
    {"lblDownloadSpeedAverage", &TrafficLabels::lblDownloadSpeedAverage},
    {"lblUploadSpeedAverage", &TrafficLabels::lblUploadSpeedAverage},
    {"lblDSpeed", &TrafficLabels::lblDSpeed},
    {"lblUSpeed", &TrafficLabels::lblUSpeed},
    {"Label16", &TrafficLabels::Label16},
    {"Label10", &TrafficLabels::Label10},
    {"Label11", &TrafficLabels::Label11},
}};

MonotonicClock SteadyClock()
{
    return [] { return std::chrono::steady_clock::now().time_since_epoch(); };
}

QString GroupedWhole(double value)
{
    return Format(value, 0, true);
}

QString GroupedTwoDecimals(double value)
{
    return Format(value, 2, true);
}

QString TwoDecimals(double value)
{
    return Format(value, 2, false);
}

QString Whole(double value)
{
    return Format(value, 0, false);
}

QString ConnectionTypeText(int32_t interfaceType)
{
    switch (interfaceType) {
    case 1:
        return QStringLiteral("Connection: Other");
    case 6:
        return QStringLiteral("Connection: Ethernet");
    case 9:
        return QStringLiteral("Connection: TokenRing");
    case 15:
        return QStringLiteral("Connection: FDDI");
    case 23:
        return QStringLiteral("Connection: PPP");
    case 24:
        return QStringLiteral("Connection: Loopback");
    case 28:
        return QStringLiteral("Connection: SLIP");
    default:
        return {};
    }
}

TransferMeter::TransferMeter(CIpHelper& ipHelper, TransferMeterHooks hooks, MonotonicClock clock)
    : m_ipHelper(ipHelper), m_hooks(std::move(hooks)), m_clock(std::move(clock)),
      m_dataCollection(std::make_shared<GraphSeries>(kGraphPoints, 0.0))
{
    // What the page shows before the first figures arrive.
    m_labels.lblRecv = KbText(0);
    m_labels.lblSent = KbText(0);
    m_labels.lblDownloadSpeedTop = RateText("Maximum download: ", 0);
    m_labels.lblUploadSpeedTop = RateText("Maximum upload: ", 0);
    m_labels.lblDownloadSpeedAverage = RateText("Average download: ", 0);
    m_labels.lblUploadSpeedAverage = RateText("Average upload: ", 0);
    m_labels.lblDSpeed = SpeedText(0);
    m_labels.lblUSpeed = SpeedText(0);
    m_labels.Label16 = QStringLiteral("Connection: ");
    m_labels.Label10 = QString::fromStdString("Received: " + FormatSize(0));
    m_labels.Label11 = QString::fromStdString("Sent: " + FormatSize(0));
}

TransferMeter::TickResult TransferMeter::MeterTick()
{
    TickResult result;
    const std::shared_ptr<CInterfaces> interfaces = m_ipHelper.Interfaces();
    // A failed read gives an empty table with totals of 0: counting it would show the whole totals as
    // one tick's traffic on the next good read, and would reset the user's choice in the list.
    if (interfaces->Count() == 0)
        return result;
    const int64_t received = m_ipHelper.BytesReceived();
    const int64_t sent = m_ipHelper.BytesSent();
    const std::chrono::nanoseconds now = m_clock();

    if (const auto selected = interfaces->Item(m_list.selected + 1))
        m_labels.lblType = OutsideText(selected->InterfaceDescription) + " ";
    m_labels.lblRecv = KbText(received);
    m_labels.lblSent = KbText(sent);

    const double elapsedMs = std::chrono::duration<double, std::milli>(now - m_prevTime).count();
    if (!m_recorded) {
        // The totals count since boot; the first tick has nothing to compare them with.
        m_recorded = true;
        m_prevReceived = received;
        m_prevSent = sent;
        m_prevTime = now;
    } else if (elapsedMs >= 1) {
        const int64_t amountReceived = Difference(received, m_prevReceived);
        const int64_t amountSent = Difference(sent, m_prevSent);
        const double rateReceived = static_cast<double>(amountReceived) * 1000.0 / elapsedMs;
        const double rateSent = static_cast<double>(amountSent) * 1000.0 / elapsedMs;
        if (rateReceived > m_maxDownload)
            m_maxDownload = rateReceived;
        if (rateSent > m_maxUpload)
            m_maxUpload = rateSent;
        m_avgDownload = (rateReceived + m_avgDownload) / 2;
        m_avgUpload = (rateSent + m_avgUpload) / 2;
        WriteRateLabels(rateReceived, rateSent);
        AddGraphPoint();
        result.pointAdded = true;
        m_prevReceived = received;
        m_prevSent = sent;
        m_prevTime = now;
        // Traffic is back: the online check runs again.
        if (m_timer1Stopped && (amountReceived > 0 || amountSent > 0)) {
            m_timer1Stopped = false;
            if (m_hooks.StartTimer1)
                m_hooks.StartTimer1();
        }
    }

    if (interfaces->Count() != m_list.entries.size()) {
        RebuildList(*interfaces);
        result.listRebuilt = true;
    }
    return result;
}

void TransferMeter::WriteRateLabels(double rateReceived, double rateSent)
{
    m_labels.lblDownloadSpeedTop = RateText("Maximum download: ", m_maxDownload);
    m_labels.lblUploadSpeedTop = RateText("Maximum upload: ", m_maxUpload);
    m_labels.lblDownloadSpeedAverage = RateText("Average download: ", m_avgDownload);
    m_labels.lblUploadSpeedAverage = RateText("Average upload: ", m_avgUpload);
    m_labels.lblDSpeed = SpeedText(rateReceived);
    m_labels.lblUSpeed = SpeedText(rateSent);
}

void TransferMeter::AddGraphPoint()
{
    const double perTickKb = m_avgDownload / kTicksPerSecond / kKilo;
    m_dataCollection->push_back(std::floor(RoundTo(perTickKb, 2)) + kGraphLift);
    // The graph trims the series as it draws; this keeps it bounded when nothing draws.
    while (m_dataCollection->size() > kGraphPoints)
        m_dataCollection->pop_front();
}

void TransferMeter::ActivityTick()
{
    const std::shared_ptr<CInterfaces> interfaces = m_ipHelper.Interfaces();
    // An unreadable table reads as totals of 0; taking them would show a burst of activity next time.
    if (interfaces->Count() == 0)
        return;
    const int64_t received = m_ipHelper.BytesReceived();
    const int64_t sent = m_ipHelper.BytesSent();
    const QString type = ConnectionTypeText(interfaces->Item(1)->InterfaceType);
    if (!type.isEmpty())
        m_labels.Label16 = type;
    m_labels.Label10 = QString::fromStdString("Received: " + FormatSize(static_cast<double>(received)));
    m_labels.Label11 = QString::fromStdString("Sent: " + FormatSize(static_cast<double>(sent)));

    const bool receivedMore = received > m_activityPrevReceived;
    const bool sentMore = sent > m_activityPrevSent;
    int state = 1;
    if (receivedMore && sentMore)
        state = 0;
    else if (receivedMore)
        state = 2;
    else if (sentMore)
        state = 3;
    if (m_hooks.SetActivityStatus)
        m_hooks.SetActivityStatus(state);
    m_activityPrevReceived = received;
    m_activityPrevSent = sent;
}

void TransferMeter::Watchdog()
{
    if (m_maxDownload == 0) {
        if (!m_timer1Stopped) {
            m_timer1Stopped = true;
            if (m_hooks.StopTimer1)
                m_hooks.StopTimer1();
        }
        return;
    }
    m_maxDownload = 0;
    m_maxUpload = 0;
}

void TransferMeter::LoadConnectionList()
{
    RebuildList(*m_ipHelper.Interfaces());
}

void TransferMeter::SetSelectedConnection(int position)
{
    m_list.selected = position >= 0 && position < m_list.entries.size() ? position : -1;
}

void TransferMeter::RebuildList(const CInterfaces& interfaces)
{
    m_list.entries.clear();
    for (const auto& item : interfaces)
        m_list.entries.append(OutsideText(item->InterfaceDescription) + " ");
    const int stored = m_hooks.ReadConnectionSetting ? m_hooks.ReadConnectionSetting() : 0;
    if (stored >= 0 && stored < m_list.entries.size())
        m_list.selected = stored;
    else
        m_list.selected = m_list.entries.isEmpty() ? -1 : 0;
}

} // namespace qb
