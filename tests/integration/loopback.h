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

// A listener on 127.0.0.1 with a kernel-chosen port; returns the fd and the port in host order.
inline int Listen(uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    Check(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind");
    Check(::listen(fd, 4096) == 0, "listen");
    port = PortOf(fd);
    return fd;
}

// A client connected to 127.0.0.1:`port`, or with `mapped` a dual-stack IPv6 socket connected to
// ::ffff:127.0.0.1; `localPort` receives its own port in host order.
inline int Connect(uint16_t port, uint16_t* localPort = nullptr, bool mapped = false)
{
    const int fd = ::socket(mapped ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in v4{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    sockaddr_in6 v6{AF_INET6, htons(port), 0, {}, 0};
    Check(fd >= 0 && ::inet_pton(AF_INET6, "::ffff:127.0.0.1", &v6.sin6_addr) == 1, "socket");
    Check((mapped ? ::connect(fd, reinterpret_cast<sockaddr*>(&v6), sizeof v6)
                  : ::connect(fd, reinterpret_cast<sockaddr*>(&v4), sizeof v4)) == 0,
          "connect");
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
inline bool CarriesData(int listener, uint16_t port)
{
    const int client = Connect(port);
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
