#pragma once
// A netlink socket that sends one request and reads its answer: a multi-part dump or an acknowledgement.
#include "platform/unique_fd.h"

#include <linux/netlink.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qb::linux_os {

// Not thread-safe: one instance per thread. Never throws.
class NetlinkSocket {
public:
    // nullopt with errno set when the kernel offers no such netlink family (or refuses the socket).
    [[nodiscard]] static std::optional<NetlinkSocket> Open(int protocol);

    // Sends `payload` as a message of `type` with NLM_F_REQUEST|NLM_F_DUMP and hands every message of the
    // answer to `onMessage` until NLMSG_DONE. Returns 0, or an errno value (the kernel's NLMSG_ERROR, or a
    // send/receive failure); messages before a failure have been delivered.
    [[nodiscard]] int Dump(uint16_t type, const void* payload, std::size_t length,
                           const std::function<void(const nlmsghdr&)>& onMessage);

    // Sends one message with NLM_F_REQUEST|NLM_F_ACK and returns the kernel's answer: 0 or an errno value.
    [[nodiscard]] int Request(uint16_t type, const void* payload, std::size_t length);

private:
    explicit NetlinkSocket(UniqueFd fd) : m_fd(std::move(fd)) {}
    int Send(uint16_t type, uint16_t flags, const void* payload, std::size_t length);

    UniqueFd m_fd;
    uint32_t m_sequence = 0;
    std::vector<char> m_buffer;
};

// A non-blocking rtnetlink socket subscribed to the announcements of `groups` (RTMGRP_* bits); invalid
// when the kernel refuses it.
UniqueFd OpenAnnouncements(uint32_t groups);
// Reads away every announcement waiting on `announcements`; true when there was one, when some were lost
// (ENOBUFS) or when the socket is invalid, as then nothing can be known.
bool DrainAnnouncements(const UniqueFd& announcements);

} // namespace qb::linux_os
