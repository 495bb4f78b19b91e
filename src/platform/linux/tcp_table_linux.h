#pragma once
// The TCP and connected UDP sockets of both families from sock_diag dumps, with owners from /proc.
#include "platform/linux/netlink_socket.h"
#include "platform/linux/sock_diag_parser.h"
#include "platform/linux/socket_counters.h"
#include "platform/linux/socket_owner_map.h"
#include "platform/tcp_table_source.h"

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
// Sees the network namespace of the thread that first uses it. Not thread-safe.
class LinuxTcpTable final : public TcpTableSource {
public:
    explicit LinuxTcpTable(std::string procRoot = "/proc");

    TcpFetch Fetch() override;
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override;
    std::optional<uint64_t> CountersStamp() override;

    // /proc scans made so far (the owner cache avoids most of them).
    int OwnerScans() const { return m_owners.ScanCount(); }

private:
    // The rows of every socket of `protocol` (TCP in every state, UDP connected) of both families, their
    // inodes alongside; or an errno value.
    int DumpRows(Transport protocol, std::vector<TcpRow>& rows, std::vector<uint32_t>& inodes);
    NetlinkSocket* Socket(int& error);

    std::string m_procRoot;
    SocketOwnerMap m_owners;
    std::optional<NetlinkSocket> m_socket;
    std::optional<SocketCounters> m_counters;
};

} // namespace qb::linux_os
