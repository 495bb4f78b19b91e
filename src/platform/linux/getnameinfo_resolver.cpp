#include "platform/linux/getnameinfo_resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qb::linux_os {

std::optional<std::string> GetnameinfoResolver::HostName(uint32_t address)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    // NI_NAMEREQD: without a name the caller wants a failure, not the address printed back.
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&where), sizeof where, host, sizeof host, nullptr, 0,
                      NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(host);
}

} // namespace qb::linux_os
