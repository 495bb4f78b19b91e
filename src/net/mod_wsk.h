#pragma once
// The small socket layer: reverse look-up of an address's text, one ICMP echo with a fixed timeout,
// and the texts of the echo status codes. Keeps no state between calls; the OS services come in as
// arguments. Both the look-up and the echo block, so the UI calls them through a worker.
#include "net/host_lookup.h"
#include "platform/ip_address.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace qb {

class EchoService;
class NameResolver;

// The reply record of one echo, zeroed by the caller. The data area receives the echoed payload.
struct EchoReply {
    uint32_t Address = 0; // the replying host, network byte order
    uint32_t Status = 0;
    uint32_t RoundTripTime = 0; // milliseconds
    uint16_t DataSize = 0;
    uint8_t Ttl = 0;
    uint8_t Tos = 0;
    uint8_t Flags = 0;
    uint8_t OptionsSize = 0;
    std::array<char, 250> Data{};
};

namespace ModWsk {

inline constexpr int32_t kBadAddress = -1;
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kRequestTimedOut = 11010;
inline constexpr int32_t kGeneralFailure = 11050;
inline constexpr int kEchoTimeoutMs = 500;

// Socket start-up and clean-up need nothing on Linux; they stay so that every look-up keeps its pairing.
bool StartSockets();
void StopSockets();

// The address as inet_addr() reads it (dotted, also the short and octal/hex forms), network byte order;
// nullopt when it is not an address or is "255.255.255.255", which inet_addr cannot tell from a failure.
std::optional<uint32_t> InetAddr(const QString& address);

// An IPv6 address as inet_pton reads it, with an optional numeric scope after "%" ("fe80::1%2");
// nullopt for anything else.
std::optional<IpAddress> InetPton6(const QString& address);

// The host name of an address: dotted IPv4 (as InetAddr reads it) or IPv6 (as InetPton6 reads it); the
// address text itself when it is not an address or has no name, and, not lasting, when the resolver could
// not answer now. Blocks for as long as the resolver takes: never on the UI thread.
HostAnswer ResolveHostName(NameResolver& resolver, const QString& address);

// Sends one echo carrying `payload` and fills `reply`; returns the status code: -1 for an address
// inet_addr rejects (nothing is sent), 0 for a reply, else an IP status code (11010 no reply within
// 500 ms, 11002..11005 unreachable, 11013 time exceeded, 11050 any other failure, no socket included).
// Blocks up to 500 ms.
int32_t SendEcho(EchoService& echo, const QString& address, const QString& payload, EchoReply& reply);

// The fixed text of a status code; "unknown msg returned" for codes outside the table.
QString EchoStatusText(int32_t code);

// "Success - Round Time : <ms> ms" or the status text. No value only when sockets cannot be started,
// which cannot happen on Linux. Blocks up to 500 ms.
std::optional<QString> PingIP(EchoService& echo, const QString& address);

} // namespace ModWsk
} // namespace qb
