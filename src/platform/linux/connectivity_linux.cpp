#include "platform/linux/connectivity_linux.h"

#include <linux/if.h>
#include <linux/rtnetlink.h>

#include <cstring>
#include <fstream>
#include <set>

namespace qb::linux_os {

LinuxConnectivity::LinuxConnectivity(GetEnv getEnv, std::string configHome)
    : m_getEnv(std::move(getEnv)), m_configHome(std::move(configHome))
{
}

ConnectedState LinuxConnectivity::Query()
{
    ConnectedState state;
    state.connected = HasDefaultRouteUp();
    if (state.connected)
        state.flags |= ConnectedState::kLan;
    if (ProxyConfigured(m_getEnv, m_configHome))
        state.flags |= ConnectedState::kProxy;
    return state;
}

bool LinuxConnectivity::HasDefaultRouteUp()
{
    if (!m_socket) {
        m_socket = NetlinkSocket::Open(NETLINK_ROUTE);
        if (!m_socket)
            return false;
    }
    std::set<int> outputs;
    for (const uint8_t family : {AF_INET, AF_INET6}) {
        rtmsg request{};
        request.rtm_family = family;
        const int error = m_socket->Dump(RTM_GETROUTE, &request, sizeof request, [&](const nlmsghdr& header) {
            const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(&header));
            if (header.nlmsg_type != RTM_NEWROUTE || route->rtm_dst_len != 0 ||
                route->rtm_type != RTN_UNICAST)
                return;
            int length = static_cast<int>(RTM_PAYLOAD(&header));
            for (const rtattr* attribute = RTM_RTA(route); RTA_OK(attribute, length);
                 attribute = RTA_NEXT(attribute, length)) {
                if (attribute->rta_type == RTA_OIF) {
                    int index = 0;
                    std::memcpy(&index, RTA_DATA(attribute), sizeof index);
                    outputs.insert(index);
                } else if (attribute->rta_type == RTA_MULTIPATH) {
                    auto* hop = static_cast<const rtnexthop*>(RTA_DATA(attribute));
                    int left = static_cast<int>(RTA_PAYLOAD(attribute));
                    while (RTNH_OK(hop, left)) {
                        outputs.insert(hop->rtnh_ifindex);
                        left -= static_cast<int>(NLMSG_ALIGN(hop->rtnh_len));
                        hop = RTNH_NEXT(hop);
                    }
                }
            }
        });
        if (error != 0 && family == AF_INET) {
            m_socket.reset();
            return false;
        }
    }
    if (outputs.empty())
        return false;
    bool up = false;
    ifinfomsg request{};
    request.ifi_family = AF_UNSPEC;
    const int error = m_socket->Dump(RTM_GETLINK, &request, sizeof request, [&](const nlmsghdr& header) {
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(&header));
        if (header.nlmsg_type == RTM_NEWLINK && outputs.count(info->ifi_index) != 0 &&
            (info->ifi_flags & IFF_UP) && (info->ifi_flags & IFF_RUNNING))
            up = true;
    });
    if (error != 0)
        m_socket.reset();
    return up;
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
