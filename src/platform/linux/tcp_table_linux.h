#pragma once
// The IPv4 TCP table from a sock_diag dump, with owners from /proc.
#include "platform/linux/netlink_socket.h"
#include "platform/linux/sock_diag_parser.h"
#include "platform/linux/socket_owner_map.h"
#include "platform/tcp_table_source.h"

#include <optional>
#include <string>
#include <vector>

namespace qb::linux_os {

// Dumps TCP sockets of both families in every state; IPv4 sockets and IPv4-mapped IPv6 sockets become
// rows. Rows of sockets whose holder cannot be read (other users' processes, time-wait) carry pid 0.
// Deleting uses SOCK_DESTROY with the socket cookie from a fresh dump: a bare 4-tuple that no longer
// matches a connection would make the kernel fall back to the listener on that port and destroy it.
// Sees the network namespace of the thread that first uses it. Not thread-safe.
class LinuxTcpTable final : public TcpTableSource {
public:
    explicit LinuxTcpTable(std::string procRoot = "/proc");

    TcpFetch Fetch() override;
    DeleteOutcome DeleteConnection(const TcpEndpoints& endpoints) override;

    // /proc scans made so far (the owner cache avoids most of them).
    int OwnerScans() const { return m_owners.ScanCount(); }

private:
    // Every TCP socket of both families, or an errno value.
    int DumpSockets(std::vector<DiagSocket>& sockets);
    NetlinkSocket* Socket(int& error);

    SocketOwnerMap m_owners;
    std::optional<NetlinkSocket> m_socket;
};

} // namespace qb::linux_os
