#include "platform/linux/tcp_table_linux.h"

#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace qb::linux_os {
namespace {

inet_diag_req_v2 DumpRequest(uint8_t family)
{
    inet_diag_req_v2 request{};
    request.sdiag_family = family;
    request.sdiag_protocol = IPPROTO_TCP;
    request.idiag_states = ~0u; // every state, time-wait and half-open included
    return request;
}

} // namespace

LinuxTcpTable::LinuxTcpTable(std::string procRoot) : m_owners(std::move(procRoot)) {}

NetlinkSocket* LinuxTcpTable::Socket(int& error)
{
    if (!m_socket) {
        m_socket = NetlinkSocket::Open(NETLINK_SOCK_DIAG);
        if (!m_socket) {
            error = errno;
            return nullptr;
        }
    }
    return &*m_socket;
}

int LinuxTcpTable::DumpSockets(std::vector<DiagSocket>& sockets)
{
    int error = 0;
    NetlinkSocket* socket = Socket(error);
    if (socket == nullptr)
        return error;
    for (const uint8_t family : {AF_INET, AF_INET6}) {
        const inet_diag_req_v2 request = DumpRequest(family);
        error = socket->Dump(SOCK_DIAG_BY_FAMILY, &request, sizeof request, [&](const nlmsghdr& header) {
            if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY)
                return;
            const std::size_t length = header.nlmsg_len - NLMSG_HDRLEN;
            if (auto parsed = ParseDiagMessage(NLMSG_DATA(&header), length))
                sockets.push_back(*parsed);
        });
        // A kernel without IPv6 refuses the second dump; the IPv4 table is still whole.
        if (error != 0 && !(family == AF_INET6 && (error == EAFNOSUPPORT || error == ENOENT))) {
            m_socket.reset(); // an interrupted dump may leave parts of its answer queued
            return error;
        }
    }
    return 0;
}

TcpFetch LinuxTcpTable::Fetch()
{
    std::vector<DiagSocket> sockets;
    TcpFetch fetch;
    fetch.result = DumpSockets(sockets);
    if (fetch.result != 0)
        return fetch;

    std::vector<DiagSocket> ipv4;
    std::vector<uint32_t> inodes;
    ipv4.reserve(sockets.size());
    inodes.reserve(sockets.size());
    for (const DiagSocket& socket : sockets) {
        if (ToIpv4Row(socket, 0)) {
            ipv4.push_back(socket);
            inodes.push_back(socket.inode);
        }
    }
    const std::vector<uint32_t> pids = m_owners.Resolve(inodes);
    std::vector<TcpRow> rows;
    rows.reserve(ipv4.size());
    for (std::size_t i = 0; i < ipv4.size(); ++i)
        rows.push_back(*ToIpv4Row(ipv4[i], pids[i]));
    fetch.snapshot = TcpSnapshot::FromRows(rows);
    return fetch;
}

DeleteOutcome LinuxTcpTable::DeleteConnection(const TcpEndpoints& endpoints)
{
    std::vector<DiagSocket> sockets;
    if (DumpSockets(sockets) != 0)
        return DeleteOutcome::NoSuchConnection;
    int error = 0;
    NetlinkSocket* netlink = Socket(error);
    DeleteOutcome outcome = DeleteOutcome::NoSuchConnection;
    for (const DiagSocket& socket : sockets) {
        const auto row = ToIpv4Row(socket, 0);
        if (!row || socket.kernelState == kKernelListen || netlink == nullptr)
            continue;
        const TcpEndpoints found{row->localAddr, row->localPort, row->remoteAddr, row->remotePort};
        if (found != endpoints)
            continue;
        inet_diag_req_v2 request = DumpRequest(socket.family);
        request.idiag_states = 1u << socket.kernelState;
        std::memcpy(request.id.idiag_src, socket.source.data(), 16);
        std::memcpy(request.id.idiag_dst, socket.destination.data(), 16);
        request.id.idiag_sport = socket.sourcePort;
        request.id.idiag_dport = socket.destinationPort;
        request.id.idiag_if = socket.interfaceIndex;
        request.id.idiag_cookie[0] = socket.cookie[0];
        request.id.idiag_cookie[1] = socket.cookie[1];
        const int refused = netlink->Request(SOCK_DESTROY, &request, sizeof request);
        if (refused == 0)
            outcome = DeleteOutcome::Deleted;
        else if ((refused == EPERM || refused == EACCES) && outcome != DeleteOutcome::Deleted)
            outcome = DeleteOutcome::NotPermitted; // no CAP_NET_ADMIN
    }
    return outcome;
}

} // namespace qb::linux_os
