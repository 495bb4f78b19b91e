#pragma once
// Reverse look-up of an address in the system's resolver (hosts file, then DNS).
#include "platform/ip_address.h"

#include <cstdint>
#include <string>

namespace qb {

// What one reverse look-up found. NoName is an answer (the address has no name); TryAgain is none: the
// resolver could not ask now (no DNS server reachable, a timeout, a temporary failure).
struct HostNameAnswer {
    enum class Kind { Name, NoName, TryAgain };
    Kind kind = Kind::TryAgain;
    std::string name; // for Kind::Name
};

// Blocks for as long as the system resolver takes (10 s with a dead DNS server): never call it on the UI
// thread. Thread-safe.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // The host name of `address`, that it has none, or that none could be had now.
    [[nodiscard]] virtual HostNameAnswer HostName(const IpAddress& address) = 0;
};

} // namespace qb
