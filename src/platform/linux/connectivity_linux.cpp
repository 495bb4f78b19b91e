#include "platform/linux/connectivity_linux.h"

#include <linux/if.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cerrno>
#include <fstream>
#include <set>

namespace qb::linux_os {

LinuxConnectivity::LinuxConnectivity(GetEnv getEnv, std::string configHome)
    : m_getEnv(std::move(getEnv)), m_configHome(std::move(configHome)),
      m_announcements(OpenAnnouncements(RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR))
{
    // Opened with the announcements, so that both speak of the namespace this object was made in.
    m_socket = NetlinkSocket::Open(NETLINK_ROUTE);
}

ConnectedState LinuxConnectivity::Query()
{
    // Drained before reading, so that a change made during the read is announced to the next query.
    if (DrainAnnouncements(m_announcements) || !m_online)
        m_online = HasAddressedInterfaceUp();
    const auto now = std::chrono::steady_clock::now();
    if (!m_proxyRead || now - *m_proxyRead >= kProxyLifetime) {
        m_proxy = ProxyConfigured(m_getEnv, m_configHome);
        m_proxyRead = now;
    }
    ConnectedState state;
    state.connected = m_online.value_or(false);
    if (state.connected)
        state.flags |= ConnectedState::kLan;
    if (m_proxy)
        state.flags |= ConnectedState::kProxy;
    return state;
}

std::optional<bool> LinuxConnectivity::HasAddressedInterfaceUp()
{
    if (!m_socket) {
        m_socket = NetlinkSocket::Open(NETLINK_ROUTE);
        if (!m_socket)
            return std::nullopt;
    }
    std::set<int> up;
    ifinfomsg links{};
    links.ifi_family = AF_UNSPEC;
    int error = m_socket->Dump(RTM_GETLINK, &links, sizeof links, [&](const nlmsghdr& header) {
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(&header));
        constexpr unsigned kUpAndRunning = IFF_UP | IFF_RUNNING;
        if (header.nlmsg_type == RTM_NEWLINK && (info->ifi_flags & IFF_LOOPBACK) == 0 &&
            (info->ifi_flags & kUpAndRunning) == kUpAndRunning)
            up.insert(info->ifi_index);
    });
    bool addressed = false;
    if (error == 0 && !up.empty()) {
        ifaddrmsg addresses{};
        addresses.ifa_family = AF_UNSPEC;
        error = m_socket->Dump(RTM_GETADDR, &addresses, sizeof addresses, [&](const nlmsghdr& header) {
            const auto* address = static_cast<const ifaddrmsg*>(NLMSG_DATA(&header));
            // Every interface that comes up gives itself an IPv6 link-local address: only an address
            // beyond the link says the interface was really joined to a network.
            if (header.nlmsg_type == RTM_NEWADDR && address->ifa_scope < RT_SCOPE_LINK &&
                up.count(static_cast<int>(address->ifa_index)) != 0)
                addressed = true;
        });
    }
    if (error != 0) {
        m_socket.reset(); // an interrupted dump may leave parts of its answer queued
        return std::nullopt;
    }
    return addressed;
}

bool ProxyConfigured(const LinuxConnectivity::GetEnv& getEnv, const std::string& configHome)
{
    for (const char* name :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"}) {
        if (!getEnv(name).empty())
            return true;
    }
    // KDE: [Proxy Settings] ProxyType=0 is no proxy; 1 manual, 2 script, 3 automatic, 4 from the environment.
    std::ifstream kio(configHome + "/kioslaverc");
    std::string line;
    bool inSection = false;
    while (std::getline(kio, line)) {
        if (!line.empty() && line[0] == '[')
            inSection = line.rfind("[Proxy Settings]", 0) == 0;
        else if (inSection && line.rfind("ProxyType=", 0) == 0)
            return line.size() > 10 && line[10] >= '1' && line[10] <= '3';
    }
    return false;
}

} // namespace qb::linux_os
