#pragma once
// The kernel's IPv4 TCP table with the owning process of every connection.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qb {

// One row as the table delivers it. Addresses are the four bytes in network order as they lie in memory;
// ports are the 16-bit network-order value in the low half, unconverted. States are MIB-II codes
// (1 closed, 2 listening, … 5 established, … 11 time wait).
struct TcpRow {
    uint32_t state = 0;
    uint32_t localAddr = 0;
    uint32_t localPort = 0;
    uint32_t remoteAddr = 0;
    uint32_t remotePort = 0;
    uint32_t pid = 0;
    bool operator==(const TcpRow&) const = default;
};

// The four endpoint fields that name one connection, encoded as in TcpRow.
struct TcpEndpoints {
    uint32_t localAddr = 0;
    uint32_t localPort = 0;
    uint32_t remoteAddr = 0;
    uint32_t remotePort = 0;
    bool operator==(const TcpEndpoints&) const = default;
};

// A fetched table as one buffer: a 32-bit row count, then 24-byte rows of six 32-bit fields (state,
// local address, local port, remote address, remote port, pid), row k at byte 4 + 24·k.
class TcpSnapshot {
public:
    static constexpr std::size_t kRowBytes = 24;

    TcpSnapshot() = default;
    static TcpSnapshot FromRows(const std::vector<TcpRow>& rows);
    // Takes a buffer as it stands; a buffer too short for its own row count reads as fewer rows.
    static TcpSnapshot FromBytes(std::vector<std::byte> bytes);

    // The count stored in the buffer (0 for an empty buffer).
    uint32_t StoredCount() const;
    // Rows that are really in the buffer: never more than it holds.
    uint32_t AvailableRows() const;
    TcpRow Row(uint32_t index) const; // index < AvailableRows()
    const std::vector<std::byte>& Bytes() const { return m_bytes; }
    bool Empty() const { return m_bytes.empty(); }

private:
    std::vector<std::byte> m_bytes;
};

// Result of one fetch: `result` 0 on success, else an errno value (the snapshot is then empty).
struct TcpFetch {
    int result = 0;
    TcpSnapshot snapshot;
};

// What became of a request to delete one connection.
enum class DeleteOutcome {
    Deleted,
    NoSuchConnection, // not in the table (any more), or a listening socket, which is never deleted
    NotPermitted,     // the kernel refused: the program lacks CAP_NET_ADMIN
};

// Reads the table and deletes single connections. Failures are reported in the result, never thrown.
// Not thread-safe: one instance per thread.
class TcpTableSource {
public:
    virtual ~TcpTableSource() = default;
    [[nodiscard]] virtual TcpFetch Fetch() = 0;
    // Deletes the connection whose four fields all match; never a listening socket.
    [[nodiscard]] virtual DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) = 0;
};

} // namespace qb
