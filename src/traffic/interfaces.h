#pragma once
// One network interface's fields and counters, and an ordered collection of them.
#include "platform/interface_table_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qb {

// Plain read/write fields; a fresh object holds zeros and empty texts. Octet and packet counters are
// 64-bit: 32-bit ones wrap after 4 GiB, which a busy machine passes within hours.
struct CInterface {
    std::string InterfaceDescription;
    int64_t OutputQueueLength = 0;
    int64_t OutgoingErrors = 0;
    int64_t DiscardedOutgoingPackets = 0;
    int64_t NonunicastPacketsSent = 0;
    int64_t UnicastPacketsSent = 0;
    int64_t OctetsSent = 0;
    int64_t UnknownProtocolPackets = 0;
    int64_t IncomingErrors = 0;
    int64_t DiscardedIncomingPackets = 0;
    int64_t NonunicastPacketsReceived = 0;
    int32_t MaximumTransmissionUnit = 0;
    int64_t UnicastPacketsReceived = 0;
    int64_t OctetsReceived = 0;
    int32_t LastChange = 0; // days; the system reports none, so always 0
    int32_t OperationalStatus = 0;
    int32_t AdminStatus = 0;
    std::string AdapterAddress;
    int32_t Speed = 0;
    int32_t InterfaceType = 0;
    int32_t InterfaceIndex = 0;
    std::string InterfaceName;

    // Fills every field from a row: the description cut to 256 characters, the hardware address to 8
    // bytes. Counters of 2^63 and above are kept bit for bit (they read as negative).
    static CInterface FromRow(const InterfaceRow& row);
};

// "00-50-56-C0-00-8": each byte in upper-case hex without leading zeros, except that 0 gives "00".
std::string AdapterAddressText(const std::vector<uint8_t>& bytes);

// Interfaces in table order; positions are 1-based. Objects are shared so that a caller may keep one
// after the collection is gone.
class CInterfaces {
public:
    std::shared_ptr<CInterface> Add(std::shared_ptr<CInterface> objInterface);
    // nullptr for a position outside 1..Count.
    std::shared_ptr<CInterface> Item(int index) const;
    int Count() const { return static_cast<int>(m_items.size()); }
    // Does nothing for a position outside 1..Count.
    void Remove(int index);
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<std::shared_ptr<CInterface>> m_items;
};

} // namespace qb
