#include "platform/linux/getnameinfo_resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qb::linux_os {

HostNameAnswer GetnameinfoResolver::HostName(uint32_t address)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    // NI_NAMEREQD: without a name the caller wants a failure, not the address printed back.
    const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&where), sizeof where, host,
                                     sizeof host, nullptr, 0, NI_NAMEREQD);
    if (result == 0)
        return {HostNameAnswer::Kind::Name, host};
    // Only EAI_NONAME says the address has no name; EAI_AGAIN (no DNS server answered, as in a namespace
    // without routes) and the rest say nothing about it.
    return {result == EAI_NONAME ? HostNameAnswer::Kind::NoName : HostNameAnswer::Kind::TryAgain, {}};
}

} // namespace qb::linux_os
