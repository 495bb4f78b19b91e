#pragma once
// An IPv4 or IPv6 address as the kernel gives it.
#include <array>
#include <cstdint>
#include <cstring>

namespace qb {

enum class AddressFamily : uint8_t { IPv4 = 4, IPv6 = 6 };

// The bytes are in network order; an IPv4 address holds its four at the front and zeros after them.
// `scopeId` is the interface a link-local IPv6 address belongs to (0 for every other address): fe80::1 on
// two interfaces is two hosts.
struct IpAddress {
    AddressFamily family = AddressFamily::IPv4;
    std::array<uint8_t, 16> bytes{};
    uint32_t scopeId = 0;

    // From a 32-bit field holding the four bytes as they lie in memory (network order).
    static IpAddress FromIPv4(uint32_t networkOrder)
    {
        IpAddress address;
        std::memcpy(address.bytes.data(), &networkOrder, 4);
        return address;
    }
    static IpAddress FromIPv6(const void* sixteenBytes, uint32_t scopeId = 0)
    {
        IpAddress address{AddressFamily::IPv6, {}, 0};
        std::memcpy(address.bytes.data(), sixteenBytes, 16);
        if (address.IsLinkLocal())
            address.scopeId = scopeId;
        return address;
    }
    // The first four bytes as one field, network order: the IPv4 address.
    uint32_t IPv4() const
    {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data(), 4);
        return value;
    }
    bool IsIPv6() const { return family == AddressFamily::IPv6; }
    bool IsUnspecified() const { return bytes == std::array<uint8_t, 16>{}; }
    // fe80::/10, whose scope is one link.
    bool IsLinkLocal() const { return IsIPv6() && bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80; }

    bool operator==(const IpAddress&) const = default;
};

} // namespace qb
