#pragma once
// ICMP echo through an unprivileged ping socket (needs the user's group in net.ipv4.ping_group_range),
// else through a raw socket (needs CAP_NET_RAW). Each echo opens and closes its own socket.
#include "platform/echo_service.h"

namespace qb::linux_os {

class IcmpEcho final : public EchoService {
public:
    enum class Sockets { PingThenRaw, PingOnly, RawOnly };
    explicit IcmpEcho(Sockets sockets = Sockets::PingThenRaw) : m_sockets(sockets) {}

    EchoOutcome Echo(uint32_t address, std::span<const std::byte> payload,
                     std::chrono::milliseconds timeout) override;

private:
    Sockets m_sockets;
};

} // namespace qb::linux_os
