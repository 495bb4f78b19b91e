#pragma once
// The interface table from rtnetlink: links for the descriptive fields, link statistics for counters.
#include "platform/interface_table_source.h"
#include "platform/linux/netlink_socket.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace qb::linux_os {

// Measured 7–66 µs per read, so it is cheap enough for several reads per 100 ms tick. Counters come
// from RTM_GETSTATS (64-bit); where the kernel refuses that request they come from /proc/net/dev. The
// links themselves (RTM_GETLINK, the larger part of the cost) are read again only after the kernel
// announced a change of them. Speed has no netlink attribute: it is read from sysfs, 0 where the device
// does not report one. Sees the network namespace of the thread that makes it. Not thread-safe.
class LinuxInterfaceTable final : public InterfaceTableSource {
public:
    explicit LinuxInterfaceTable(std::string procRoot = "/proc", std::string sysRoot = "/sys");
    InterfaceTable Fetch() override;

private:
    // The links as RTM_GETLINK gives them; false when the dump failed.
    bool ReadLinks(InterfaceTable& table);
    bool ReadStatistics(InterfaceTable& table);
    bool ReadProcNetDev(InterfaceTable& table) const;
    uint32_t ReadSpeed(const std::string& name) const;

    std::string m_procRoot;
    std::string m_sysRoot;
    std::optional<NetlinkSocket> m_socket;
    UniqueFd m_announcements;
    std::optional<InterfaceTable> m_links; // the last links read, without counters
    // sysfs is 10-100 times slower than netlink and the meter reads the table every 100 ms: link speeds
    // are read again only after kSpeedLifetime.
    struct Speed {
        uint32_t bitsPerSecond = 0;
        std::chrono::steady_clock::time_point read;
    };
    static constexpr std::chrono::seconds kSpeedLifetime{10};
    mutable std::map<std::string, Speed> m_speeds;
};

// MIB-II interface type of an ARPHRD_* device type.
uint32_t MibInterfaceType(uint16_t arphrdType);
// MIB-II operational status from the kernel's operstate and link flags.
uint32_t MibOperationalStatus(uint8_t operState, uint32_t linkFlags);
// Applies the counters of /proc/net/dev text to the rows with matching names; false when the text has
// no interface line at all.
bool ApplyProcNetDev(std::string_view text, InterfaceTable& table);

} // namespace qb::linux_os
