#include "platform/linux/interface_table_linux.h"

#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace qb::linux_os {
namespace {

template <typename Visit> void ForEachAttribute(const rtattr* attribute, int length, Visit visit)
{
    for (; RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length))
        visit(*attribute);
}

std::string AttributeText(const rtattr& attribute)
{
    const auto* text = static_cast<const char*>(RTA_DATA(&attribute));
    const auto size = RTA_PAYLOAD(&attribute);
    return std::string(text, strnlen(text, size));
}

uint32_t AttributeU32(const rtattr& attribute)
{
    uint32_t value = 0;
    std::memcpy(&value, RTA_DATA(&attribute), std::min<std::size_t>(RTA_PAYLOAD(&attribute), 4));
    return value;
}

void ApplyStats64(const rtnl_link_stats64& stats, InterfaceRow& row)
{
    row.octetsReceived = stats.rx_bytes;
    row.nonunicastPacketsReceived = stats.multicast;
    row.unicastPacketsReceived = stats.rx_packets - std::min(stats.rx_packets, stats.multicast);
    row.discardedIncomingPackets = stats.rx_dropped;
    row.incomingErrors = stats.rx_errors;
    row.unknownProtocolPackets = stats.rx_nohandler;
    row.octetsSent = stats.tx_bytes;
    row.unicastPacketsSent = stats.tx_packets;
    row.discardedOutgoingPackets = stats.tx_dropped;
    row.outgoingErrors = stats.tx_errors;
}

} // namespace

uint32_t MibInterfaceType(uint16_t arphrdType)
{
    switch (arphrdType) {
    case ARPHRD_LOOPBACK:
        return 24;
    case ARPHRD_ETHER:
        return 6;
    case ARPHRD_PPP:
        return 23;
    default:
        return 1;
    }
}

uint32_t MibOperationalStatus(uint8_t operState, uint32_t linkFlags)
{
    switch (operState) {
    case IF_OPER_UP:
        return 5;
    case IF_OPER_DORMANT:
        return 3;
    case IF_OPER_NOTPRESENT:
        return 0;
    case IF_OPER_UNKNOWN: // loopback and many virtual devices never report a state
        return (linkFlags & IFF_UP) && (linkFlags & IFF_RUNNING) ? 5 : 2;
    default:
        return 2;
    }
}

LinuxInterfaceTable::LinuxInterfaceTable(std::string procRoot, std::string sysRoot)
    : m_procRoot(std::move(procRoot)), m_sysRoot(std::move(sysRoot)),
      m_announcements(OpenAnnouncements(RTMGRP_LINK))
{
    // Opened with the announcements, so that both speak of the namespace this object was made in.
    m_socket = NetlinkSocket::Open(NETLINK_ROUTE);
}

InterfaceTable LinuxInterfaceTable::Fetch()
{
    InterfaceTable table;
    if (!m_socket) {
        m_socket = NetlinkSocket::Open(NETLINK_ROUTE);
        if (!m_socket) {
            table.status = InterfaceTable::Status::NotSupported;
            return table;
        }
    }
    // Drained first: a change made while the links are read is announced to the next read.
    if (DrainAnnouncements(m_announcements) || !m_links) {
        m_links.reset();
        if (!ReadLinks(table))
            return InterfaceTable{InterfaceTable::Status::Failed, {}};
        m_links = table;
    } else {
        table = *m_links;
    }
    if (!ReadStatistics(table))
        ReadProcNetDev(table);
    for (InterfaceRow& row : table.rows)
        row.speed = ReadSpeed(row.name);
    // Interfaces come and go (a VPN, a container's veth): the cache keeps only those of this table.
    std::erase_if(m_speeds, [&](const auto& entry) {
        return std::none_of(table.rows.begin(), table.rows.end(),
                            [&](const InterfaceRow& row) { return row.name == entry.first; });
    });
    return table;
}

bool LinuxInterfaceTable::ReadLinks(InterfaceTable& table)
{
    ifinfomsg request{};
    request.ifi_family = AF_UNSPEC;
    const int error = m_socket->Dump(RTM_GETLINK, &request, sizeof request, [&](const nlmsghdr& header) {
        if (header.nlmsg_type != RTM_NEWLINK)
            return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(&header));
        InterfaceRow row;
        row.index = static_cast<uint32_t>(info->ifi_index);
        row.type = MibInterfaceType(info->ifi_type);
        row.adminStatus = (info->ifi_flags & IFF_UP) ? 1 : 2;
        uint8_t operState = IF_OPER_UNKNOWN;
        std::string alias;
        ForEachAttribute(IFLA_RTA(info), static_cast<int>(IFLA_PAYLOAD(&header)),
                         [&](const rtattr& attribute) {
                             switch (attribute.rta_type) {
                             case IFLA_IFNAME:
                                 row.name = AttributeText(attribute);
                                 break;
                             case IFLA_IFALIAS:
                                 alias = AttributeText(attribute);
                                 break;
                             case IFLA_MTU:
                                 row.mtu = AttributeU32(attribute);
                                 break;
                             case IFLA_OPERSTATE:
                                 operState = *static_cast<const uint8_t*>(RTA_DATA(&attribute));
                                 break;
                             case IFLA_ADDRESS: {
                                 const auto* bytes = static_cast<const uint8_t*>(RTA_DATA(&attribute));
                                 row.physicalAddress.assign(bytes, bytes + RTA_PAYLOAD(&attribute));
                                 break;
                             }
                             default:
                                 break;
                             }
                         });
        row.operationalStatus = MibOperationalStatus(operState, info->ifi_flags);
        row.description = alias.empty() ? row.name : alias;
        table.rows.push_back(std::move(row));
    });
    if (error != 0) {
        m_socket.reset();
        return false;
    }
    return true;
}

bool LinuxInterfaceTable::ReadStatistics(InterfaceTable& table)
{
    if_stats_msg request{};
    request.family = AF_UNSPEC;
    request.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    bool any = false;
    const int error = m_socket->Dump(RTM_GETSTATS, &request, sizeof request, [&](const nlmsghdr& header) {
        if (header.nlmsg_type != RTM_NEWSTATS)
            return;
        const auto* stats = static_cast<const if_stats_msg*>(NLMSG_DATA(&header));
        const auto row = std::find_if(table.rows.begin(), table.rows.end(),
                                      [&](const InterfaceRow& r) { return r.index == stats->ifindex; });
        if (row == table.rows.end())
            return;
        const auto* first = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(stats) +
                                                            NLMSG_ALIGN(sizeof(if_stats_msg)));
        const int length =
            static_cast<int>(header.nlmsg_len - NLMSG_LENGTH(NLMSG_ALIGN(sizeof(if_stats_msg))));
        ForEachAttribute(first, length, [&](const rtattr& attribute) {
            if (attribute.rta_type != IFLA_STATS_LINK_64 ||
                RTA_PAYLOAD(&attribute) < sizeof(rtnl_link_stats64))
                return;
            rtnl_link_stats64 values;
            std::memcpy(&values, RTA_DATA(&attribute), sizeof values);
            ApplyStats64(values, *row);
            any = true;
        });
    });
    if (error != 0)
        m_socket.reset();
    return error == 0 && (any || table.rows.empty());
}

bool LinuxInterfaceTable::ReadProcNetDev(InterfaceTable& table) const
{
    std::ifstream in(m_procRoot + "/net/dev");
    std::ostringstream text;
    text << in.rdbuf();
    return ApplyProcNetDev(text.str(), table);
}

bool ApplyProcNetDev(std::string_view text, InterfaceTable& table)
{
    bool any = false;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue; // the two header lines
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        std::istringstream fields(line.substr(colon + 1));
        uint64_t v[16] = {};
        int count = 0;
        while (count < 16 && fields >> v[count])
            ++count;
        if (count < 16)
            continue;
        any = true;
        for (InterfaceRow& row : table.rows) {
            if (row.name != name)
                continue;
            row.octetsReceived = v[0];
            row.nonunicastPacketsReceived = v[7];
            row.unicastPacketsReceived = v[1] - std::min(v[1], v[7]);
            row.incomingErrors = v[2];
            row.discardedIncomingPackets = v[3];
            row.octetsSent = v[8];
            row.unicastPacketsSent = v[9];
            row.outgoingErrors = v[10];
            row.discardedOutgoingPackets = v[11];
        }
    }
    return any;
}

uint32_t LinuxInterfaceTable::ReadSpeed(const std::string& name) const
{
    const auto now = std::chrono::steady_clock::now();
    if (const auto known = m_speeds.find(name);
        known != m_speeds.end() && now - known->second.read < kSpeedLifetime)
        return known->second.bitsPerSecond;
    // Virtual devices answer EINVAL; the value is in Mbit/s, the table's in bit/s.
    std::ifstream in(m_sysRoot + "/class/net/" + name + "/speed");
    long long megabits = 0;
    uint32_t speed = 0;
    if (in >> megabits && megabits > 0)
        speed = static_cast<uint32_t>(std::min<long long>(megabits * 1000000LL, UINT32_MAX));
    m_speeds[name] = Speed{speed, now};
    return speed;
}

} // namespace qb::linux_os
