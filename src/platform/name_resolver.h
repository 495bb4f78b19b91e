#pragma once
// Reverse look-up of an address in the system's resolver (hosts file, then DNS).
#include "platform/ip_address.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qb {

// Blocks for as long as the system resolver takes (10 s with a dead DNS server): never call it on the UI
// thread. Thread-safe.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // The host name of `address`; nullopt when there is none or the look-up failed.
    [[nodiscard]] virtual std::optional<std::string> HostName(const IpAddress& address) = 0;
};

} // namespace qb
