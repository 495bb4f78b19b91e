#pragma once
// The TCP and connected UDP sockets of both families from sock_diag dumps, with owners from /proc.
#include "platform/linux/netlink_socket.h"
#include "platform/linux/sock_diag_parser.h"
#include "platform/linux/socket_counters.h"
#include "platform/linux/socket_owner_map.h"
#include "platform/tcp_table_source.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qb::linux_os {

// Dumps TCP sockets of both families in every state and UDP sockets that have a remote address; each
// becomes a row (IPv4-mapped ones in IPv4 form). Rows of sockets whose holder cannot be read (other
// users' processes, time-wait) and of listeners, which are never shown, carry pid 0. Deleting sends
// SOCK_DESTROY (TCP, and UDP since kernel 4.5) with the socket cookie the row was listed with: the kernel
// finds the socket by its 4-tuple and refuses when the cookie does not match, where a bare 4-tuple that
// no longer matches a connection would make it fall back to the listener on that port and destroy it.
// Sees the network namespace of the thread that makes it (its netlink sockets and counter files are
// opened then; one that could not be opened is tried again on the thread that needs it). Thread-safe:
// fetching, deleting and reading the counters each take a lock of their own, so a fetch on a worker
// thread does not hold up a deletion on another.
class LinuxTcpTable final : public TcpTableSource {
public:
    explicit LinuxTcpTable(std::string procRoot = "/proc");

    TcpFetch Fetch() override;
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override;
    std::optional<uint64_t> CountersStamp() override;
    bool ThreadSafe() const override { return true; }

    // /proc scans made so far (the owner cache avoids most of them).
    int OwnerScans();

private:
    // The rows of every socket of `protocol` (TCP in every state, UDP connected) of both families, their
    // inodes alongside; or an errno value. Holds m_fetchMutex.
    int DumpRows(Transport protocol, std::vector<TcpRow>& rows, std::vector<uint32_t>& inodes);
    // The socket in `slot`, opened now when it is not yet; nullptr with `error` set when it cannot be.
    static NetlinkSocket* Socket(std::optional<NetlinkSocket>& slot, int& error);

    std::string m_procRoot;
    std::mutex m_fetchMutex; // m_dumpSocket, m_owners
    SocketOwnerMap m_owners;
    std::optional<NetlinkSocket> m_dumpSocket;
    std::mutex m_deleteMutex; // m_destroySocket
    std::optional<NetlinkSocket> m_destroySocket;
    std::mutex m_countersMutex; // m_counters
    std::optional<SocketCounters> m_counters;
};

} // namespace qb::linux_os
