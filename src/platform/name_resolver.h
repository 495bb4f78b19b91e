#pragma once
// Reverse look-up of an IPv4 address in the system's resolver (hosts file, then DNS).
#include <cstdint>
#include <optional>
#include <string>

namespace qb {

// Blocks for as long as the system resolver takes (10 s with a dead DNS server): never call it on the UI
// thread. Thread-safe.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // The host name of `address` (network byte order); nullopt when there is none or the look-up failed.
    [[nodiscard]] virtual std::optional<std::string> HostName(uint32_t address) = 0;
};

} // namespace qb
