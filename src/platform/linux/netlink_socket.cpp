#include "platform/linux/netlink_socket.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace qb::linux_os {

std::optional<NetlinkSocket> NetlinkSocket::Open(int protocol)
{
    UniqueFd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, protocol));
    if (!fd.Valid())
        return std::nullopt;
    // Large dumps come in many parts; a bigger receive buffer keeps the kernel from splitting them finely.
    const int size = 1 << 20;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    return NetlinkSocket(std::move(fd));
}

int NetlinkSocket::Send(uint16_t type, uint16_t flags, const void* payload, std::size_t length)
{
    std::vector<char> message(NLMSG_SPACE(length));
    auto* header = reinterpret_cast<nlmsghdr*>(message.data());
    header->nlmsg_len = static_cast<uint32_t>(NLMSG_LENGTH(length));
    header->nlmsg_type = type;
    header->nlmsg_flags = flags;
    header->nlmsg_seq = ++m_sequence;
    std::memcpy(NLMSG_DATA(header), payload, length);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(m_fd.Get(), message.data(), header->nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                 sizeof kernel) < 0)
        return errno;
    return 0;
}

int NetlinkSocket::Dump(uint16_t type, const void* payload, std::size_t length,
                        const std::function<void(const nlmsghdr&)>& onMessage)
{
    if (const int error = Send(type, NLM_F_REQUEST | NLM_F_DUMP, payload, length))
        return error;
    m_buffer.resize(64 * 1024);
    for (;;) {
        const ssize_t received = ::recv(m_fd.Get(), m_buffer.data(), m_buffer.size(), 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (received == 0)
            return EPIPE;
        auto remaining = static_cast<int>(received);
        for (auto* header = reinterpret_cast<const nlmsghdr*>(m_buffer.data()); NLMSG_OK(header, remaining);
             header = NLMSG_NEXT(header, remaining)) {
            if (header->nlmsg_seq != m_sequence)
                continue; // an answer to an earlier, abandoned request
            if (header->nlmsg_type == NLMSG_DONE)
                return 0;
            if (header->nlmsg_type == NLMSG_ERROR) {
                const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
                return error->error == 0 ? 0 : -error->error;
            }
            onMessage(*header);
        }
    }
}

int NetlinkSocket::Request(uint16_t type, const void* payload, std::size_t length)
{
    if (const int error = Send(type, NLM_F_REQUEST | NLM_F_ACK, payload, length))
        return error;
    char buffer[8192];
    for (;;) {
        const ssize_t received = ::recv(m_fd.Get(), buffer, sizeof buffer, 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        auto remaining = static_cast<int>(received);
        for (auto* header = reinterpret_cast<const nlmsghdr*>(buffer); NLMSG_OK(header, remaining);
             header = NLMSG_NEXT(header, remaining)) {
            if (header->nlmsg_seq == m_sequence && header->nlmsg_type == NLMSG_ERROR)
                return -static_cast<const nlmsgerr*>(NLMSG_DATA(header))->error;
        }
    }
}

UniqueFd OpenAnnouncements(uint32_t groups)
{
    UniqueFd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    sockaddr_nl subscription{};
    subscription.nl_family = AF_NETLINK;
    subscription.nl_groups = groups;
    if (fd.Valid() && ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&subscription), sizeof subscription) != 0)
        fd.Reset();
    return fd;
}

bool DrainAnnouncements(const UniqueFd& announcements)
{
    if (!announcements.Valid())
        return true;
    bool announced = false;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::recv(announcements.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0 || (got < 0 && errno == ENOBUFS)) {
            announced = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return announced;
    }
}

} // namespace qb::linux_os
