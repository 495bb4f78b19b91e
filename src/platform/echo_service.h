#pragma once
// One ICMP echo request and what came back for it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qb {

struct EchoOutcome {
    enum class Kind {
        Reply,      // an echo reply arrived
        Timeout,    // nothing arrived in time
        IcmpError,  // an ICMP error came back for the request: see icmpType, icmpCode, from
        LocalError, // the request could not be sent or the socket failed
        NoSocket,   // no ICMP socket could be opened at all
    };
    Kind kind = Kind::LocalError;
    uint8_t icmpType = 0;
    uint8_t icmpCode = 0;
    uint32_t from = 0; // the replying (or complaining) host, network byte order
    uint32_t roundTripMs = 0;
    uint8_t ttl = 0;
    uint8_t tos = 0;
    std::vector<std::byte> data; // the echoed payload of a reply
};

// Sends one echo request to `address` (network byte order) and waits up to `timeout` for its reply or
// error. Blocks for up to `timeout`: keep it off the UI thread. Thread-safe.
class EchoService {
public:
    virtual ~EchoService() = default;
    [[nodiscard]] virtual EchoOutcome Echo(uint32_t address, std::span<const std::byte> payload,
                                           std::chrono::milliseconds timeout) = 0;
};

} // namespace qb
