#pragma once
// The kernel's table of TCP connections (IPv4 and IPv6) and connected UDP sockets, with the owning process
// of each.
#include "platform/ip_address.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qb {

enum class Transport : uint8_t { Tcp, Udp };

// What names one connection. Ports are the 16-bit network-order value in the low half, unconverted.
// IPv4-mapped IPv6 sockets are given in their IPv4 form. `interfaceIndex` is the device the socket is
// bound to (0: none); `cookie` is the kernel's own name of the socket, from the fetch that listed it
// (0: not known).
struct TcpEndpoints {
    Transport protocol = Transport::Tcp;
    IpAddress localAddr;
    uint32_t localPort = 0;
    IpAddress remoteAddr;
    uint32_t remotePort = 0;
    uint32_t interfaceIndex = 0;
    uint64_t cookie = 0;

    static TcpEndpoints IPv4(uint32_t localAddr, uint32_t localPort, uint32_t remoteAddr, uint32_t remotePort)
    {
        return {Transport::Tcp, IpAddress::FromIPv4(localAddr), localPort, IpAddress::FromIPv4(remoteAddr),
                remotePort};
    }
    bool operator==(const TcpEndpoints&) const = default;
};

// One row of the table. States are MIB-II codes (1 closed, 2 listening, … 5 established, … 11 time wait);
// a connected UDP socket is established (5).
struct TcpRow {
    uint32_t state = 0;
    TcpEndpoints endpoints;
    uint32_t pid = 0; // 0: no owner could be seen
    bool operator==(const TcpRow&) const = default;
};

// A fetched table: the rows in the order the kernel listed them.
class TcpSnapshot {
public:
    TcpSnapshot() = default;
    static TcpSnapshot FromRows(std::vector<TcpRow> rows)
    {
        TcpSnapshot snapshot;
        snapshot.m_rows = std::move(rows);
        return snapshot;
    }
    uint32_t RowCount() const { return static_cast<uint32_t>(m_rows.size()); }
    const TcpRow& Row(uint32_t index) const { return m_rows[index]; } // index < RowCount()
    const std::vector<TcpRow>& Rows() const { return m_rows; }
    bool Empty() const { return m_rows.empty(); }
    bool operator==(const TcpSnapshot&) const = default;

private:
    std::vector<TcpRow> m_rows;
};

// Result of one fetch: `result` 0 on success, else an errno value (the snapshot is then empty).
struct TcpFetch {
    int result = 0;
    TcpSnapshot snapshot;
};

// What became of a request to delete one connection.
enum class DeleteOutcome {
    Deleted,
    NoSuchConnection, // not in the table (any more), or a listening or unconnected socket, never deleted
    NotPermitted,     // the kernel refused: the program lacks CAP_NET_ADMIN
};

// Reads the table and deletes single connections. Failures are reported in the result, never thrown.
// Not thread-safe (one instance per thread) unless ThreadSafe() says so.
class TcpTableSource {
public:
    virtual ~TcpTableSource() = default;
    [[nodiscard]] virtual TcpFetch Fetch() = 0;
    // Deletes the socket these endpoints name, cookie included, as the fetch that listed it saw it: a socket
    // that has gone since (its cookie stale, or none known) is not there, and nothing else is hit in its
    // place. A listening TCP socket and a UDP socket without a remote address are refused before the system
    // is asked. A TCP peer is reset; a UDP socket loses its remote end, so its next send fails.
    [[nodiscard]] virtual DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) = 0;
    // A digest of the system's socket counters (connections opened, failed, reset and established,
    // sockets in use, time-wait, datagrams): while it stays the same no socket was opened, closed or reset
    // and none carried a datagram, so a fetch would find the same sockets (though a state may have moved
    // on). Cheap enough to ask every 50 ms. nullopt when it cannot be read: only a fetch can tell then.
    [[nodiscard]] virtual std::optional<uint64_t> CountersStamp() { return std::nullopt; }
    // True when every call may come from any thread, at the same time as others: then fetches and
    // batches of deletions can run off the UI thread.
    virtual bool ThreadSafe() const { return false; }
};

} // namespace qb
