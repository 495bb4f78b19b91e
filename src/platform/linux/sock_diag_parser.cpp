#include "platform/linux/sock_diag_parser.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <sys/socket.h>

#include <cstring>

namespace qb::linux_os {
namespace {

bool IsMapped(const std::array<uint32_t, 4>& address)
{
    return address[0] == 0 && address[1] == 0 && address[2] == htonl(0xffff);
}

bool IsUnspecified(const std::array<uint32_t, 4>& address)
{
    return address[0] == 0 && address[1] == 0 && address[2] == 0 && address[3] == 0;
}

} // namespace

std::optional<DiagSocket> ParseDiagMessage(const void* payload, std::size_t length)
{
    if (length < sizeof(inet_diag_msg))
        return std::nullopt;
    inet_diag_msg message;
    std::memcpy(&message, payload, sizeof message);
    DiagSocket socket;
    socket.family = message.idiag_family;
    socket.kernelState = message.idiag_state;
    std::memcpy(socket.source.data(), message.id.idiag_src, 16);
    std::memcpy(socket.destination.data(), message.id.idiag_dst, 16);
    socket.sourcePort = message.id.idiag_sport;
    socket.destinationPort = message.id.idiag_dport;
    socket.interfaceIndex = message.id.idiag_if;
    socket.cookie = {message.id.idiag_cookie[0], message.id.idiag_cookie[1]};
    socket.uid = message.idiag_uid;
    socket.inode = message.idiag_inode;
    return socket;
}

uint32_t MibStateFromKernel(uint8_t kernelState)
{
    // Index: kernel state; TCP_NEW_SYN_RECV (12) is a half-open connection like SYN_RECV.
    static constexpr uint32_t kMib[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 9, 2, 10, 4};
    return kernelState < std::size(kMib) ? kMib[kernelState] : 0;
}

std::optional<TcpRow> ToRow(const DiagSocket& socket, Transport protocol, uint32_t pid)
{
    TcpRow row;
    row.state = MibStateFromKernel(socket.kernelState);
    row.pid = pid;
    TcpEndpoints& ends = row.endpoints;
    ends.protocol = protocol;
    ends.localPort = socket.sourcePort;
    ends.remotePort = socket.destinationPort;
    ends.interfaceIndex = socket.interfaceIndex;
    ends.cookie = uint64_t{socket.cookie[1]} << 32 | socket.cookie[0];
    const auto v4Form = [](const std::array<uint32_t, 4>& address) {
        return IsMapped(address) || IsUnspecified(address);
    };
    if (socket.family == AF_INET ||
        (socket.family == AF_INET6 && v4Form(socket.source) && v4Form(socket.destination) &&
         !(IsUnspecified(socket.source) && IsUnspecified(socket.destination)))) {
        const std::size_t word = socket.family == AF_INET ? 0 : 3;
        ends.localAddr = IpAddress::FromIPv4(socket.source[word]);
        ends.remoteAddr = IpAddress::FromIPv4(socket.destination[word]);
    } else if (socket.family == AF_INET6) {
        ends.localAddr = IpAddress::FromIPv6(socket.source.data(), socket.interfaceIndex);
        ends.remoteAddr = IpAddress::FromIPv6(socket.destination.data(), socket.interfaceIndex);
    } else {
        return std::nullopt;
    }
    if (protocol == Transport::Udp && (ends.remoteAddr.IsUnspecified() || ends.remotePort == 0))
        return std::nullopt;
    return row;
}

} // namespace qb::linux_os
