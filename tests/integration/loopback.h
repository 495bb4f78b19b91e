#pragma once
// Loopback sockets for integration tests; every call aborts the test process on failure so a broken
// set-up never passes as an empty result.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qb::test {

inline void Check(bool ok, const char* what)
{
    if (!ok) {
        std::perror(what);
        std::abort();
    }
}

// The port of a socket's own address, or with `peer` of its peer's, in host order; either family.
inline uint16_t PortOf(int fd, bool peer = false)
{
    sockaddr_in6 address{};
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    Check((peer ? ::getpeername(fd, raw, &length) : ::getsockname(fd, raw, &length)) == 0, "address");
    return ntohs(address.sin6_port); // where sin_port is too
}

// How a loopback socket reaches its peer: 127.0.0.1, ::ffff:127.0.0.1 from a dual-stack IPv6 socket, or ::1.
enum class Via { IPv4, Mapped, IPv6 };

// The loopback address `via` names, with `port` (host order); `length` receives its size.
inline sockaddr_in6 LoopbackAddress(Via via, uint16_t port, socklen_t& length)
{
    sockaddr_in6 v6{AF_INET6, htons(port), 0, in6addr_loopback, 0};
    if (via == Via::Mapped)
        Check(::inet_pton(AF_INET6, "::ffff:127.0.0.1", &v6.sin6_addr) == 1, "inet_pton");
    if (via != Via::IPv4) {
        length = sizeof v6;
        return v6;
    }
    sockaddr_in6 storage{};
    sockaddr_in v4{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    std::memcpy(&storage, &v4, sizeof v4);
    length = sizeof v4;
    return storage;
}

// A socket of `type` bound to a kernel-chosen port on loopback (::1 only, for IPv6), listening when it is a
// stream socket; returns the fd and the port in host order.
inline int Listen(uint16_t& port, Via via = Via::IPv4, int type = SOCK_STREAM)
{
    const int fd = ::socket(via == Via::IPv4 ? AF_INET : AF_INET6, type | SOCK_CLOEXEC, 0);
    socklen_t length = 0;
    const sockaddr_in6 address = LoopbackAddress(via, 0, length);
    const int v6only = 1;
    Check(fd >= 0 &&
              (via == Via::IPv4 || ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only) == 0),
          "socket");
    Check(::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0, "bind");
    Check(type != SOCK_STREAM || ::listen(fd, 4096) == 0, "listen");
    port = PortOf(fd);
    return fd;
}

// A client of `type` connected to loopback port `port` `via` one of the three ways; `localPort` receives
// its own port in host order.
inline int Connect(uint16_t port, uint16_t* localPort = nullptr, Via via = Via::IPv4, int type = SOCK_STREAM)
{
    const int fd = ::socket(via == Via::IPv4 ? AF_INET : AF_INET6, type | SOCK_CLOEXEC, 0);
    socklen_t length = 0;
    const sockaddr_in6 address = LoopbackAddress(via, port, length);
    Check(fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0, "connect");
    if (localPort != nullptr)
        *localPort = PortOf(fd);
    return fd;
}

// The next connection of `listener`, waited for at most ten seconds.
inline int Accept(int listener)
{
    pollfd ready{listener, POLLIN, 0};
    Check(::poll(&ready, 1, 10000) == 1, "waiting for a connection");
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    Check(fd >= 0, "accept");
    return fd;
}

// A new connection to the listener carries a byte.
inline bool CarriesData(int listener, uint16_t port, Via via = Via::IPv4)
{
    const int client = Connect(port, nullptr, via);
    const int server = Accept(listener);
    char byte = 0;
    const bool carried = ::send(client, "x", 1, 0) == 1 && ::recv(server, &byte, 1, 0) == 1 && byte == 'x';
    ::close(client);
    ::close(server);
    return carried;
}

// The table's encoding of a host-order port.
inline uint32_t StoredPort(uint16_t port)
{
    return htons(port);
}

} // namespace qb::test
