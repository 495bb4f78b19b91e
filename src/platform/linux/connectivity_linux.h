#pragma once
// Online: an interface other than loopback is up and running and holds an address beyond its own link
// (a LAN without a default route counts). Proxy: the desktop's or the environment's proxy settings name
// one.
#include "platform/connectivity.h"
#include "platform/linux/netlink_socket.h"

#include "platform/unique_fd.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace qb::linux_os {

// Measured 16–26 µs per query. Sees the network namespace of the thread that first uses it.
// The links and addresses are read again only after the kernel announced a change of them (a socket
// subscribed to those announcements is drained at each query), and the proxy settings at most every
// kProxyLifetime: an unchanged answer costs one system call. Sees the network namespace of the thread
// that makes it. Not thread-safe.
class LinuxConnectivity final : public Connectivity {
public:
    using GetEnv = std::function<std::string(const char*)>;
    static constexpr std::chrono::seconds kProxyLifetime{5};
    // `configHome` is where the desktop's settings live ($XDG_CONFIG_HOME).
    LinuxConnectivity(GetEnv getEnv, std::string configHome);
    ConnectedState Query() override;

private:
    // Whether an interface beside loopback is up, running and addressed; nullopt when it cannot be read.
    std::optional<bool> HasAddressedInterfaceUp();

    GetEnv m_getEnv;
    std::string m_configHome;
    std::optional<NetlinkSocket> m_socket;
    UniqueFd m_announcements;
    std::optional<bool> m_online; // the last answer read; nullopt: read again
    std::optional<std::chrono::steady_clock::time_point> m_proxyRead;
    bool m_proxy = false;
};

// True when one of http_proxy, https_proxy, all_proxy (either case) is set, or KDE's kioslaverc names a
// proxy type other than none.
bool ProxyConfigured(const LinuxConnectivity::GetEnv& getEnv, const std::string& configHome);

} // namespace qb::linux_os
