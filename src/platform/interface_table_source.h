#pragma once
// The machine's network interfaces with their descriptive fields and traffic counters.
#include <cstdint>
#include <string>
#include <vector>

namespace qb {

// One interface. Types, statuses and units follow the MIB-II interface table: type 24 loopback,
// 6 ethernet, 23 PPP, 1 other; admin status 1 up, 2 down; operational status 5 operational,
// 2 disconnected, 0 not present; speed in bits per second.
struct InterfaceRow {
    std::string name;         // kernel name
    std::string description;  // alias, or the name when there is none
    uint32_t index = 0;
    uint32_t type = 1;
    uint32_t mtu = 0;
    uint32_t speed = 0;
    std::vector<uint8_t> physicalAddress;
    uint32_t adminStatus = 0;
    uint32_t operationalStatus = 0;
    uint32_t lastChange = 0;
    uint64_t octetsReceived = 0;
    uint64_t unicastPacketsReceived = 0;
    uint64_t nonunicastPacketsReceived = 0;
    uint64_t discardedIncomingPackets = 0;
    uint64_t incomingErrors = 0;
    uint64_t unknownProtocolPackets = 0;
    uint64_t octetsSent = 0;
    uint64_t unicastPacketsSent = 0;
    uint64_t nonunicastPacketsSent = 0;
    uint64_t discardedOutgoingPackets = 0;
    uint64_t outgoingErrors = 0;
    uint64_t outputQueueLength = 0;
};

struct InterfaceTable {
    enum class Status { Ok, NotSupported, Failed };
    Status status = Status::Ok;
    std::vector<InterfaceRow> rows;
};

// Not thread-safe: one instance per thread. Never throws.
class InterfaceTableSource {
public:
    virtual ~InterfaceTableSource() = default;
    // NotSupported: the system offers no interface table at all; Failed: this read went wrong.
    [[nodiscard]] virtual InterfaceTable Fetch() = 0;
};

} // namespace qb
