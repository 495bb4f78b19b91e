#pragma once
// The live connection list: the online check's consequences, and the rebuild that converts the table,
// resolves owners (where the access decision runs) and produces the rows the Monitoring page shows.
#include "base/tcp_table.h"
#include "monitor/owner_resolver.h"
#include "platform/process_source.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qb {

// One row of the list as it was built: the texts it shows and the connection and process it stands for,
// so that actions on the row reach that connection even after its slot was reused.
struct MonitorRow {
    int16_t slot = 0;       // the row's tag: the slot it was built from
    QString text;           // column 1: "name (local port)", or "Unknown" without a program path
    QString remote;         // column 2: "a.b.c.d:port" or "[IPv6 address]:port"; a UDP socket's ports
                            // read "port/UDP" in both columns, its "Unknown" "Unknown (UDP)"
    QString path;           // the owner's executable; empty for "Unknown"
    TcpEndpoints endpoints; // as the table delivers them (network order)
    uint32_t pid = 0;
    std::optional<uint64_t> startTime; // of `pid` when the row was built; nullopt when it could not be read
    bool operator==(const MonitorRow&) const = default;
};

// What the monitor needs from the main window. Every hook may be left empty.
struct MonitorHooks {
    std::function<bool()> Unloaded;                               // the window is closing for good
    std::function<void()> Unload;                                 // a refresh ended after Unloaded was set
    std::function<void(const QString& tip)> SetTrayTip;           // the tray icon's tooltip
    std::function<void(bool visible)> ShowOfflinePanel;           // Picture4, "No connection was found"
    std::function<void()> StartTimer2;                            // the machine came online
    std::function<void(const std::vector<MonitorRow>&)> ShowRows; // the rebuilt list, in list order
    std::function<int64_t()> NowMs;                               // a monotonic clock; unset: steady_clock
    std::function<bool()> ListShown;                              // the list is on screen; unset: always
};

// `Timer1`'s work, the watch for changes and `RefreshList`. The table is fetched only when the system's
// socket counters moved (or cannot be read), and, while the list is on screen, at least every
// kFullFetchMs so that state changes show (a dump walks the kernel's whole connection hash: 1 to 3 ms
// however few sockets there are).
// A refresh never nests: a request that arrives while one runs (from a nested event loop inside the
// access decision, say) is kept, and the requests kept during one refresh are run as one more refresh
// when it ends. While a refresh runs, the table's snapshot stays in place. UI thread only.
class ConnectionMonitor {
public:
    static constexpr int64_t kFullFetchMs = 2000;
    // A full fetch falls due this much early: the watch that wakes the check every kFullFetchMs keeps its
    // own clock, and a check found a millisecond short would wait a whole period more.
    static constexpr int64_t kFullFetchSlackMs = 50;

    ConnectionMonitor(TcpTable& table, OwnerResolver& resolver, ProcessSource& processes, MonitorHooks hooks);

    // "Quillbrook Personal Firewall: Monitoring <rowCount> connections".
    static QString TrayTipText(int32_t rowCount);

    bool OnlineFlag() const { return m_onlineFlag; }
    // Start-up records the first online state here; no hook runs.
    void SetOnlineFlag(bool online) { m_onlineFlag = online; }
    bool Refreshing() const { return m_refreshing; }

    // Records the online state and shows the offline panel while offline. Coming online: starts Timer2
    // and checks for changes at once. Nothing is fetched while offline.
    void NotOnline(bool online);
    // The watch (every 50 ms): while online, fetches the table when the socket counters moved since the
    // last fetch, cannot be read, or kFullFetchMs have passed with the list shown, and rebuilds the list
    // when the table
    // changed. The fetch may run off the UI thread (TcpTable::FetchTcpTableAsync). Does nothing while a
    // refresh holds the snapshot or a fetch is on its way, and returns false then: a later call catches up.
    // Without `stamp` the counters are read here; with it, it is a reading just taken (nullopt: unreadable).
    bool CheckForChanges();
    bool CheckForChanges(std::optional<uint64_t> stamp);
    // Fetches afresh and then rebuilds the list whether or not the table changed: what block-all
    // switching needs. Nothing while offline or once Unloaded.
    void RefreshNow();
    // Rebuilds the list from the current snapshot; does nothing while offline or once Unloaded.
    void RefreshList();

    // The rows of the last rebuild, in list order.
    const std::vector<MonitorRow>& Rows() const { return m_rows; }

private:
    void RunRefresh();
    std::vector<MonitorRow> BuildRows();
    bool IsUnloaded() const { return m_hooks.Unloaded && m_hooks.Unloaded(); }
    int64_t NowMs() const;
    void Fetched(std::optional<bool> changed, bool refreshAnyway);

    TcpTable& m_table;
    OwnerResolver& m_resolver;
    ProcessSource& m_processes;
    MonitorHooks m_hooks;
    std::vector<MonitorRow> m_rows;
    bool m_onlineFlag = false;
    bool m_refreshing = false;
    bool m_refreshPending = false;
    std::optional<uint64_t> m_lastStamp; // the counters when the table was last fetched
    std::optional<int64_t> m_lastFetchMs;
};

} // namespace qb
