#pragma once
// The system resolver through getnameinfo(NI_NAMEREQD): the hosts file, then DNS, as nsswitch says.
#include "platform/name_resolver.h"

namespace qb::linux_os {

class GetnameinfoResolver final : public NameResolver {
public:
    HostNameAnswer HostName(const IpAddress& address) override;
};

} // namespace qb::linux_os
