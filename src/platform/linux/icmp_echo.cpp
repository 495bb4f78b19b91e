#include "platform/linux/icmp_echo.h"

#include "platform/unique_fd.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

namespace qb::linux_os {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr size_t kIcmpHeader = 8;

// Sequence numbers tell concurrent echoes of this process apart on raw sockets, which see every reply.
std::atomic<uint16_t> g_sequence{static_cast<uint16_t>(::getpid())};

uint16_t ReadBe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

uint32_t ReadNetwork32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

uint16_t Checksum(const std::vector<uint8_t>& bytes)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        sum += ReadBe16(&bytes[i]);
    if (bytes.size() % 2 != 0)
        sum += static_cast<uint32_t>(bytes.back()) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

std::vector<uint8_t> Request(uint16_t id, uint16_t sequence, std::span<const std::byte> payload)
{
    std::vector<uint8_t> packet(kIcmpHeader + payload.size());
    packet[0] = kEchoRequest;
    packet[4] = static_cast<uint8_t>(id >> 8);
    packet[5] = static_cast<uint8_t>(id);
    packet[6] = static_cast<uint8_t>(sequence >> 8);
    packet[7] = static_cast<uint8_t>(sequence);
    if (!payload.empty())
        std::memcpy(packet.data() + kIcmpHeader, payload.data(), payload.size());
    const uint16_t sum = Checksum(packet);
    packet[2] = static_cast<uint8_t>(sum >> 8);
    packet[3] = static_cast<uint8_t>(sum);
    return packet;
}

// The poll events of `fd` before `deadline`, 0 when it passed, -1 on a failure.
int Wait(int fd, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return 0;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return p.revents;
        if (ready == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

EchoOutcome Failure(EchoOutcome::Kind kind)
{
    EchoOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

uint32_t MillisecondsSince(Clock::time_point start)
{
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool Send(int fd, uint32_t address, const std::vector<uint8_t>& packet)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    return ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(packet.size());
}

// An ICMP error queued on a ping socket (IP_RECVERR) for our request; nullopt for anything else.
std::optional<EchoOutcome> ReadErrorQueue(int fd, uint16_t sequence)
{
    uint8_t data[576];
    alignas(cmsghdr) uint8_t control[512];
    iovec io{data, sizeof data};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(fd, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (got < 0) {
        // POLLERR without a queued error: a pending socket error, which reading SO_ERROR clears.
        int pending = 0;
        socklen_t length = sizeof pending;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length);
        return Failure(EchoOutcome::Kind::LocalError);
    }
    // The queued data is the request's own ICMP header: skip errors about an older request.
    if (got >= static_cast<ssize_t>(kIcmpHeader) && ReadBe16(data + 6) != sequence)
        return std::nullopt;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
            continue;
        sock_extended_err error;
        std::memcpy(&error, CMSG_DATA(c), sizeof error);
        if (error.ee_origin != SO_EE_ORIGIN_ICMP)
            return Failure(EchoOutcome::Kind::LocalError);
        EchoOutcome outcome = Failure(EchoOutcome::Kind::IcmpError);
        outcome.icmpType = error.ee_type;
        outcome.icmpCode = error.ee_code;
        sockaddr_in offender;
        std::memcpy(&offender, reinterpret_cast<const uint8_t*>(CMSG_DATA(c)) + sizeof error,
                    sizeof offender);
        outcome.from = offender.sin_addr.s_addr;
        return outcome;
    }
    return std::nullopt;
}

// The kernel fills in the identifier (the socket's "port") and matches replies to the socket.
EchoOutcome EchoOnPingSocket(int fd, uint32_t address, std::span<const std::byte> payload,
                             std::chrono::milliseconds timeout)
{
    const int on = 1;
    ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
    ::setsockopt(fd, SOL_IP, IP_RECVTTL, &on, sizeof on);
    ::setsockopt(fd, SOL_IP, IP_RECVTOS, &on, sizeof on);
    const uint16_t sequence = g_sequence++;
    const Clock::time_point start = Clock::now();
    if (!Send(fd, address, Request(0, sequence, payload)))
        return Failure(EchoOutcome::Kind::LocalError);
    const Clock::time_point deadline = start + timeout;
    for (;;) {
        const int events = Wait(fd, deadline);
        if (events == 0)
            return Failure(EchoOutcome::Kind::Timeout);
        if (events < 0)
            return Failure(EchoOutcome::Kind::LocalError);
        if (events & POLLERR) {
            if (auto error = ReadErrorQueue(fd, sequence))
                return *error;
            continue;
        }
        uint8_t data[65536];
        alignas(cmsghdr) uint8_t control[256];
        sockaddr_in from{};
        iovec io{data, sizeof data};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(fd, &msg, MSG_DONTWAIT);
        if (got < static_cast<ssize_t>(kIcmpHeader) || data[0] != kEchoReply ||
            ReadBe16(data + 6) != sequence)
            continue;
        EchoOutcome outcome = Failure(EchoOutcome::Kind::Reply);
        outcome.roundTripMs = MillisecondsSince(start);
        outcome.from = from.sin_addr.s_addr;
        const auto* echoed = reinterpret_cast<const std::byte*>(data + kIcmpHeader);
        outcome.data.assign(echoed, echoed + (got - kIcmpHeader));
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == SOL_IP && c->cmsg_type == IP_TTL) {
                int ttl;
                std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                outcome.ttl = static_cast<uint8_t>(ttl);
            } else if (c->cmsg_level == SOL_IP && c->cmsg_type == IP_TOS) {
                outcome.tos = *CMSG_DATA(c);
            }
        }
        return outcome;
    }
}

// A raw socket sees every ICMP packet of the host, IP header included: keep only the reply to, or an
// error about, this request.
EchoOutcome EchoOnRawSocket(int fd, uint32_t address, std::span<const std::byte> payload,
                            std::chrono::milliseconds timeout)
{
    const uint16_t id = static_cast<uint16_t>(::getpid());
    const uint16_t sequence = g_sequence++;
    const Clock::time_point start = Clock::now();
    if (!Send(fd, address, Request(id, sequence, payload)))
        return Failure(EchoOutcome::Kind::LocalError);
    const Clock::time_point deadline = start + timeout;
    for (;;) {
        const int events = Wait(fd, deadline);
        if (events == 0)
            return Failure(EchoOutcome::Kind::Timeout);
        if (events < 0)
            return Failure(EchoOutcome::Kind::LocalError);
        uint8_t packet[65536];
        const ssize_t got = ::recv(fd, packet, sizeof packet, MSG_DONTWAIT);
        if (got < 20)
            continue;
        const size_t ipLength = static_cast<size_t>(packet[0] & 0x0f) * 4;
        if (ipLength < 20 || static_cast<size_t>(got) < ipLength + kIcmpHeader)
            continue;
        const uint8_t* icmp = packet + ipLength;
        const size_t icmpLength = static_cast<size_t>(got) - ipLength;
        const uint8_t type = icmp[0];
        if (type == kEchoReply) {
            if (ReadBe16(icmp + 4) != id || ReadBe16(icmp + 6) != sequence)
                continue;
            EchoOutcome outcome = Failure(EchoOutcome::Kind::Reply);
            outcome.roundTripMs = MillisecondsSince(start);
            outcome.from = ReadNetwork32(packet + 12);
            outcome.ttl = packet[8];
            outcome.tos = packet[1];
            const auto* echoed = reinterpret_cast<const std::byte*>(icmp + kIcmpHeader);
            outcome.data.assign(echoed, echoed + (icmpLength - kIcmpHeader));
            return outcome;
        }
        // Unreachable, source quench, time exceeded, parameter problem: they quote our IP header and the
        // first 8 bytes of our request.
        if (type != 3 && type != 4 && type != 11 && type != 12)
            continue;
        const uint8_t* quoted = icmp + kIcmpHeader;
        const size_t quotedLength = icmpLength - kIcmpHeader;
        if (quotedLength < 20)
            continue;
        const size_t quotedIpLength = static_cast<size_t>(quoted[0] & 0x0f) * 4;
        if (quotedIpLength < 20 || quotedLength < quotedIpLength + kIcmpHeader || quoted[9] != IPPROTO_ICMP ||
            ReadNetwork32(quoted + 16) != address)
            continue;
        const uint8_t* original = quoted + quotedIpLength;
        if (original[0] != kEchoRequest || ReadBe16(original + 4) != id || ReadBe16(original + 6) != sequence)
            continue;
        EchoOutcome outcome = Failure(EchoOutcome::Kind::IcmpError);
        outcome.icmpType = type;
        outcome.icmpCode = icmp[1];
        outcome.from = ReadNetwork32(packet + 12);
        return outcome;
    }
}

} // namespace

EchoOutcome IcmpEcho::Echo(uint32_t address, std::span<const std::byte> payload,
                           std::chrono::milliseconds timeout)
{
    if (m_sockets != Sockets::RawOnly) {
        UniqueFd ping(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
        if (ping.Valid())
            return EchoOnPingSocket(ping.Get(), address, payload, timeout);
    }
    if (m_sockets != Sockets::PingOnly) {
        UniqueFd raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
        if (raw.Valid())
            return EchoOnRawSocket(raw.Get(), address, payload, timeout);
    }
    return Failure(EchoOutcome::Kind::NoSocket);
}

} // namespace qb::linux_os
