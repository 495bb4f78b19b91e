#pragma once
// The connection table: the last fetched snapshot and the fixed slots every other part names
// connections by.
#include "base/background_work.h"
#include "base/connection_record.h"
#include "platform/tcp_table_source.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qb {

// Slot i holds row i of the last converted snapshot; a slot no current row reaches keeps what an
// earlier conversion wrote. Rows beyond the last slot are ignored. While a reader holds the snapshot
// (a refresh in progress), fetches leave it in place and conversions do not nest. With a thread-safe
// source, asynchronous fetches and block-all's deletions run on a worker thread of the table's own.
// UI thread only.
class TcpTable {
public:
    static constexpr int kSlotCount = 2001; // indices 0 to 2000
    static constexpr int kLastSlot = kSlotCount - 1;
    static constexpr uint32_t kListening = 2; // the MIB-II state of a listening socket

    explicit TcpTable(TcpTableSource& source);

    std::array<ConnectionRecord, kSlotCount> Connections{};
    // Whether block-all is on; the main window fills it. Unset reads as off.
    std::function<bool()> BlockAll;

    // Fetches a new snapshot. True when the fetch succeeded, the table is not empty and its rows differ
    // from the previous fetch's (in number or in content). A failure keeps the previous snapshot and
    // counts; a fetch while the snapshot is being read returns false and changes nothing.
    [[nodiscard]] bool FetchTcpTable();
    // Fetches as FetchTcpTable does, off the UI thread where the source is thread-safe (else at once), and
    // then calls `done` on the UI thread with FetchTcpTable's answer, or with nullopt when a reader held
    // the snapshot as the fetch came in (it is dropped then). Requests made while a fetch is on its way
    // are answered by one more fetch after it, which sees what changed meanwhile.
    void FetchTcpTableAsync(std::function<void(std::optional<bool> changed)> done);
    bool FetchInFlight() const { return m_fetchInFlight; }
    // Copies the snapshot into the slots (clearing Path of each slot it writes, emptying the slot of a
    // row without endpoints) and, while block-all is on, deletes every connection of the snapshot, those
    // beyond the last slot included (on the worker thread where the source allows); listeners are never
    // asked about.
    void ConvertTcpTable();
    // The source's digest of the system's socket counters: unchanged means a fetch would find the same
    // sockets. nullopt when the source cannot tell.
    [[nodiscard]] std::optional<uint64_t> CountersStamp();
    // CountersStamp and the fetch may be called from any thread.
    bool ThreadSafe() const;
    // The last slot index the list and owner resolution walk: RowCount − 1, at most 2000.
    int32_t MonitoredCount() const;
    // Asks the system to delete the connection in slot `index`, as the slot holds it now. False, with
    // nothing sent, for an index outside the slots; the system's own refusal is silent (true).
    bool CloseConnection(int32_t index);
    // A network-order port in the low half of `value`, in host order.
    static int32_t PortNumber(uint32_t value);

    int32_t RowCount() const { return m_rowCount; }
    int32_t PreviousCount() const { return m_previousCount; }
    int LastResult() const { return m_lastResult; }
    const TcpSnapshot& Snapshot() const { return m_snapshot; }

    // Held for the length of a refresh: the snapshot stays as it is and conversions do not nest.
    class ReadGuard {
    public:
        explicit ReadGuard(TcpTable& table) : m_table(table) { ++m_table.m_readers; }
        ~ReadGuard() { --m_table.m_readers; }
        ReadGuard(const ReadGuard&) = delete;
        ReadGuard& operator=(const ReadGuard&) = delete;

    private:
        TcpTable& m_table;
    };
    bool SnapshotInUse() const { return m_readers > 0; }

private:
    using FetchDone = std::function<void(std::optional<bool>)>;
    bool Install(TcpFetch fetch);
    void StartFetch();

    TcpTableSource& m_source;
    TcpSnapshot m_snapshot;
    int32_t m_rowCount = 0;
    int32_t m_previousCount = 0;
    int m_lastResult = 0;
    int m_readers = 0;
    bool m_converting = false;
    bool m_fetchInFlight = false;
    std::vector<FetchDone> m_fetchWaiters; // requests for the fetch after the one on its way
    BackgroundWork m_work;                 // last: its thread ends before what it uses goes
};

} // namespace qb
