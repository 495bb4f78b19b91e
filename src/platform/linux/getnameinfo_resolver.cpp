#include "platform/linux/getnameinfo_resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace qb::linux_os {

HostNameAnswer GetnameinfoResolver::HostName(const IpAddress& address)
{
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = address.IPv4();
    v6.sin6_family = AF_INET6;
    std::memcpy(&v6.sin6_addr, address.bytes.data(), 16);
    v6.sin6_scope_id = address.scopeId;
    const bool ipv6 = address.IsIPv6();
    char host[NI_MAXHOST] = {};
    // NI_NAMEREQD: without a name the caller wants a failure, not the address printed back.
    const int result =
        ::getnameinfo(ipv6 ? reinterpret_cast<const sockaddr*>(&v6) : reinterpret_cast<const sockaddr*>(&v4),
                      ipv6 ? sizeof v6 : sizeof v4, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (result == 0)
        return {HostNameAnswer::Kind::Name, host};
    // Only EAI_NONAME says the address has no name; EAI_AGAIN (no DNS server answered, as in a namespace
    // without routes) and the rest say nothing about it.
    return {result == EAI_NONAME ? HostNameAnswer::Kind::NoName : HostNameAnswer::Kind::TryAgain, {}};
}

} // namespace qb::linux_os
