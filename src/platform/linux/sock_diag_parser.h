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

// The socket as an IPv4 table row: AF_INET sockets, and AF_INET6 sockets whose local address is
// IPv4-mapped (::ffff:a.b.c.d) and whose remote address is mapped or unspecified. nullopt otherwise.
[[nodiscard]] std::optional<TcpRow> ToIpv4Row(const DiagSocket& socket, uint32_t pid);

} // namespace qb::linux_os
