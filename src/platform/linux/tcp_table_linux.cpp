#include "platform/linux/tcp_table_linux.h"

#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace qb::linux_os {
namespace {

uint8_t IpProtocol(Transport protocol)
{
    return protocol == Transport::Udp ? IPPROTO_UDP : IPPROTO_TCP;
}

inet_diag_req_v2 DumpRequest(uint8_t family, Transport protocol)
{
    inet_diag_req_v2 request{};
    request.sdiag_family = family;
    request.sdiag_protocol = IpProtocol(protocol);
    // TCP in every state, time-wait and half-open included; UDP only once connected: a UDP socket is
    // "established" exactly while it has a remote address.
    request.idiag_states = protocol == Transport::Udp ? 1u << TCP_ESTABLISHED : ~0u;
    return request;
}

// The request that names one socket as the kernel's lookup wants it: IPv4 form for IPv4 rows (a
// dual-stack socket is found through its IPv4 addresses too), with the cookie the kernel checks.
inet_diag_req_v2 DestroyRequest(const TcpEndpoints& endpoints)
{
    const bool v6 = endpoints.localAddr.IsIPv6();
    inet_diag_req_v2 request = DumpRequest(v6 ? AF_INET6 : AF_INET, endpoints.protocol);
    request.idiag_states = ~0u;
    std::memcpy(request.id.idiag_src, endpoints.localAddr.bytes.data(), v6 ? 16 : 4);
    std::memcpy(request.id.idiag_dst, endpoints.remoteAddr.bytes.data(), v6 ? 16 : 4);
    request.id.idiag_sport = static_cast<uint16_t>(endpoints.localPort);
    request.id.idiag_dport = static_cast<uint16_t>(endpoints.remotePort);
    request.id.idiag_if = endpoints.interfaceIndex;
    request.id.idiag_cookie[0] = static_cast<uint32_t>(endpoints.cookie);
    request.id.idiag_cookie[1] = static_cast<uint32_t>(endpoints.cookie >> 32);
    return request;
}

} // namespace

LinuxTcpTable::LinuxTcpTable(std::string procRoot)
    : m_procRoot(procRoot), m_owners(std::move(procRoot)),
      m_dumpSocket(NetlinkSocket::Open(NETLINK_SOCK_DIAG)),
      m_destroySocket(NetlinkSocket::Open(NETLINK_SOCK_DIAG)), m_counters(std::in_place, m_procRoot + "/net")
{
}

NetlinkSocket* LinuxTcpTable::Socket(std::optional<NetlinkSocket>& slot, int& error)
{
    if (!slot) {
        slot = NetlinkSocket::Open(NETLINK_SOCK_DIAG);
        if (!slot) {
            error = errno;
            return nullptr;
        }
    }
    return &*slot;
}

int LinuxTcpTable::OwnerScans()
{
    std::lock_guard lock(m_fetchMutex);
    return m_owners.ScanCount();
}

int LinuxTcpTable::DumpRows(Transport protocol, std::vector<TcpRow>& rows, std::vector<uint32_t>& inodes)
{
    int error = 0;
    NetlinkSocket* socket = Socket(m_dumpSocket, error);
    if (socket == nullptr)
        return error;
    for (const uint8_t family : {AF_INET, AF_INET6}) {
        const inet_diag_req_v2 request = DumpRequest(family, protocol);
        error = socket->Dump(SOCK_DIAG_BY_FAMILY, &request, sizeof request, [&](const nlmsghdr& header) {
            if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY)
                return;
            const auto parsed = ParseDiagMessage(NLMSG_DATA(&header), header.nlmsg_len - NLMSG_HDRLEN);
            if (!parsed)
                return;
            if (auto row = ToRow(*parsed, protocol, 0)) {
                rows.push_back(*row);
                // A listener is never shown nor decided about: its owner is not worth a search.
                inodes.push_back(row->state == 2 ? 0 : parsed->inode);
            }
        });
        // A kernel without IPv6 refuses the second dump; the IPv4 table is still whole.
        if (error != 0 && !(family == AF_INET6 && (error == EAFNOSUPPORT || error == ENOENT))) {
            m_dumpSocket.reset(); // an interrupted dump may leave parts of its answer queued
            return error;
        }
    }
    return 0;
}

TcpFetch LinuxTcpTable::Fetch()
{
    std::lock_guard lock(m_fetchMutex);
    std::vector<TcpRow> rows;
    std::vector<uint32_t> inodes;
    TcpFetch fetch;
    for (const Transport protocol : {Transport::Tcp, Transport::Udp}) {
        fetch.result = DumpRows(protocol, rows, inodes);
        // A kernel without UDP diagnostics still gives the whole TCP table.
        if (fetch.result != 0 && !(protocol == Transport::Udp && fetch.result == ENOENT))
            return fetch;
    }
    fetch.result = 0;
    const std::vector<uint32_t> pids = m_owners.Resolve(inodes);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].pid = pids[i];
    fetch.snapshot = TcpSnapshot::FromRows(std::move(rows));
    return fetch;
}

DeleteOutcome LinuxTcpTable::DeleteConnection(const TcpEndpoints& endpoints)
{
    // A listener or an unconnected UDP socket has no remote end: nothing of it is ever destroyed. Without a
    // cookie the kernel would take any socket on the 4-tuple, the listener included.
    if ((endpoints.remoteAddr.IsUnspecified() && endpoints.remotePort == 0) || endpoints.cookie == 0 ||
        endpoints.cookie == ~uint64_t{0})
        return DeleteOutcome::NoSuchConnection;
    std::lock_guard lock(m_deleteMutex);
    int error = 0;
    NetlinkSocket* netlink = Socket(m_destroySocket, error);
    if (netlink == nullptr)
        return DeleteOutcome::NoSuchConnection;
    const inet_diag_req_v2 request = DestroyRequest(endpoints);
    switch (netlink->Request(SOCK_DESTROY, &request, sizeof request)) {
    case 0:
        return DeleteOutcome::Deleted;
    case EPERM:
    case EACCES:
        return DeleteOutcome::NotPermitted; // no CAP_NET_ADMIN
    default:
        return DeleteOutcome::NoSuchConnection; // ENOENT gone, ESTALE another socket on the 4-tuple now
    }
}

std::optional<uint64_t> LinuxTcpTable::CountersStamp()
{
    std::lock_guard lock(m_countersMutex);
    return m_counters->Read();
}

} // namespace qb::linux_os
