#include "monitor/connection_monitor.h"

#include "base/text_format.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

namespace qb {
namespace {

// Clears a flag however the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

ConnectionMonitor::ConnectionMonitor(TcpTable& table, OwnerResolver& resolver, ProcessSource& processes,
                                     MonitorHooks hooks)
    : m_table(table), m_resolver(resolver), m_processes(processes), m_hooks(std::move(hooks))
{
}

QString ConnectionMonitor::TrayTipText(int32_t rowCount)
{
    return QStringLiteral("Quillbrook Personal Firewall: Monitoring ") + QString::number(rowCount) +
           QStringLiteral(" connections");
}

void ConnectionMonitor::NotOnline(bool online)
{
    if (!online) {
        m_onlineFlag = false;
        if (m_hooks.ShowOfflinePanel)
            m_hooks.ShowOfflinePanel(true);
        return;
    }
    const bool cameOnline = !m_onlineFlag;
    m_onlineFlag = true;
    if (m_hooks.ShowOfflinePanel)
        m_hooks.ShowOfflinePanel(false);
    if (cameOnline && m_hooks.StartTimer2)
        m_hooks.StartTimer2();
    // Online all along, the watch's own ticks do the checking.
    if (cameOnline)
        (void)CheckForChanges();
}

int64_t ConnectionMonitor::NowMs() const
{
    if (m_hooks.NowMs)
        return m_hooks.NowMs();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ConnectionMonitor::CheckForChanges()
{
    if (!m_onlineFlag || IsUnloaded())
        return true;
    // Read before the dump: whatever moves during it shows at the next check.
    return CheckForChanges(m_table.CountersStamp());
}

bool ConnectionMonitor::CheckForChanges(std::optional<uint64_t> stamp)
{
    if (!m_onlineFlag || IsUnloaded())
        return true;
    // During a refresh the fetch could not replace the snapshot; the check after it catches up.
    if (m_table.SnapshotInUse() || m_table.FetchInFlight())
        return false;
    const int64_t now = NowMs();
    const bool listShown = !m_hooks.ListShown || m_hooks.ListShown();
    if (stamp && stamp == m_lastStamp && m_lastFetchMs &&
        (!listShown || now - *m_lastFetchMs < kFullFetchMs - kFullFetchSlackMs))
        return true;
    m_lastStamp = stamp;
    m_lastFetchMs = now;
    m_table.FetchTcpTableAsync([this](std::optional<bool> changed) { Fetched(changed, false); });
    return true;
}

void ConnectionMonitor::RefreshNow()
{
    if (!m_onlineFlag || IsUnloaded())
        return;
    m_lastStamp = m_table.CountersStamp();
    m_lastFetchMs = NowMs();
    m_table.FetchTcpTableAsync([this](std::optional<bool> changed) { Fetched(changed, true); });
}

void ConnectionMonitor::Fetched(std::optional<bool> changed, bool refreshAnyway)
{
    // A fetch that came in while a refresh held the snapshot was dropped: the next check fetches again.
    if (!changed)
        m_lastStamp.reset();
    if (refreshAnyway || changed.value_or(false))
        RefreshList();
}

void ConnectionMonitor::RefreshList()
{
    if (!m_onlineFlag || IsUnloaded())
        return;
    if (m_refreshing) {
        m_refreshPending = true;
        return;
    }
    do {
        m_refreshPending = false;
        RunRefresh();
        if (IsUnloaded()) {
            m_refreshPending = false;
            if (m_hooks.Unload)
                m_hooks.Unload();
            return;
        }
    } while (m_refreshPending && m_onlineFlag);
    m_refreshPending = false;
}

void ConnectionMonitor::RunRefresh()
{
    FlagScope refreshing(m_refreshing);
    TcpTable::ReadGuard guard(m_table);
    m_table.ConvertTcpTable();
    m_resolver.ResolveOwners();
    if (m_hooks.SetTrayTip)
        m_hooks.SetTrayTip(TrayTipText(m_table.RowCount()));
    m_rows = BuildRows();
    if (m_hooks.ShowRows)
        m_hooks.ShowRows(m_rows);
}

std::vector<MonitorRow> ConnectionMonitor::BuildRows()
{
    std::vector<MonitorRow> rows;
    std::unordered_map<uint32_t, std::optional<uint64_t>> startTimes;
    const int32_t last = m_table.MonitoredCount();
    for (int32_t i = 0; i <= last; ++i) {
        const ConnectionRecord& slot = m_table.Connections[static_cast<std::size_t>(i)];
        // An empty state is a slot the conversion emptied: it names no connection.
        if (slot.State.empty() || slot.State == "2")
            continue;
        MonitorRow row;
        row.slot = static_cast<int16_t>(i);
        row.path = QString::fromStdString(slot.Path);
        const bool udp = slot.Protocol == Transport::Udp;
        if (row.path.isEmpty())
            row.text = udp ? QStringLiteral("Unknown (UDP)") : QStringLiteral("Unknown");
        else
            row.text =
                QString::fromStdString(ProgramName(slot.Path) + " (" +
                                       PortText(TcpTable::PortNumber(slot.LocalPort), slot.Protocol) + ")");
        row.remote = QString::fromStdString(
            FormatEndpoint(slot.RemoteAddr, TcpTable::PortNumber(slot.RemotePort), slot.Protocol));
        row.endpoints = slot.Endpoints();
        row.pid = slot.PID;
        if (row.pid != 0) {
            // Read once per process and refresh: the actions on a row check it before they signal.
            auto known = startTimes.find(row.pid);
            if (known == startTimes.end())
                known = startTimes.emplace(row.pid, m_processes.StartTime(row.pid)).first;
            row.startTime = known->second;
        }
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const MonitorRow& a, const MonitorRow& b) {
        return QString::compare(a.text, b.text, Qt::CaseInsensitive) < 0;
    });
    return rows;
}

} // namespace qb
