#pragma once
// Loopback sockets for integration tests; every call aborts the test process on failure so a broken
// set-up never passes as an empty result.
#include <arpa/inet.h>
#include <netinet/in.h>
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

// A listener on 127.0.0.1 with a kernel-chosen port; returns the fd and the port in host order.
inline int Listen(uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    Check(fd >= 0, "socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Check(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind");
    Check(::listen(fd, 4096) == 0, "listen");
    socklen_t length = sizeof address;
    Check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0, "getsockname");
    port = ntohs(address.sin_port);
    return fd;
}

// A connected client socket; `localPort` receives its own port in host order.
inline int Connect(uint16_t port, uint16_t* localPort = nullptr)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    Check(fd >= 0, "socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    Check(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "connect");
    if (localPort != nullptr) {
        socklen_t length = sizeof address;
        Check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0, "getsockname");
        *localPort = ntohs(address.sin_port);
    }
    return fd;
}

// A dual-stack IPv6 socket connected to ::ffff:127.0.0.1.
inline int ConnectMapped(uint16_t port, uint16_t* localPort = nullptr)
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    Check(fd >= 0, "socket6");
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    Check(::inet_pton(AF_INET6, "::ffff:127.0.0.1", &address.sin6_addr) == 1, "inet_pton");
    address.sin6_port = htons(port);
    Check(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "connect6");
    if (localPort != nullptr) {
        socklen_t length = sizeof address;
        Check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0, "getsockname6");
        *localPort = ntohs(address.sin6_port);
    }
    return fd;
}

inline int Accept(int listener)
{
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    Check(fd >= 0, "accept");
    return fd;
}

// The table's encoding of a host-order port.
inline uint32_t StoredPort(uint16_t port)
{
    return htons(port);
}

} // namespace qb::test
