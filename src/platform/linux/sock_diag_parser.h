#pragma once
// Pure parsing of sock_diag answers, kept apart from the socket I/O so it can be tested on captured bytes.
#include "platform/tcp_table_source.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace qb::linux_os {

// One socket of an inet_diag dump, fields as the kernel sends them (addresses and ports in network order).
struct DiagSocket {
    uint8_t family = 0;
    uint8_t kernelState = 0;
    std::array<uint32_t, 4> source{};
    std::array<uint32_t, 4> destination{};
    uint16_t sourcePort = 0;
    uint16_t destinationPort = 0;
    uint32_t interfaceIndex = 0;
    std::array<uint32_t, 2> cookie{};
    uint32_t uid = 0;
    uint32_t inode = 0;
};

// The payload of one SOCK_DIAG_BY_FAMILY answer message; nullopt when it is too short.
[[nodiscard]] std::optional<DiagSocket> ParseDiagMessage(const void* payload, std::size_t length);

// Kernel TCP state (TCP_ESTABLISHED = 1 …) to the MIB-II code the table uses (established = 5 …).
uint32_t MibStateFromKernel(uint8_t kernelState);
constexpr uint8_t kKernelListen = 10;

// The socket as a table row. A dual-stack socket whose addresses are IPv4-mapped (::ffff:a.b.c.d) or
// unspecified is an IPv4 row; every other IPv6 socket an IPv6 row. A UDP socket without a remote address
// (a server's, a client's before it connects) is no connection: nullopt.
[[nodiscard]] std::optional<TcpRow> ToRow(const DiagSocket& socket, Transport protocol, uint32_t pid);

} // namespace qb::linux_os
