#pragma once
// The kernel's per-namespace socket counters as one digest: cheap to read, and it moves whenever sockets
// are opened, closed or reset or carry datagrams.
#include "platform/unique_fd.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb::linux_os {

// The digest of the counters in the texts of /proc/net/snmp (Tcp ActiveOpens, PassiveOpens, AttemptFails,
// EstabResets, CurrEstab; every Udp counter), /proc/net/snmp6 (every Udp6 counter), /proc/net/sockstat
// (TCP inuse and tw, UDP inuse) and /proc/net/sockstat6 (TCP6 and UDP6 inuse). Counters that move with
// TCP traffic alone (segments, retransmissions) are left out. nullopt when a text has none of its counters.
[[nodiscard]] std::optional<uint64_t> CountersDigest(std::string_view snmp, std::string_view snmp6,
                                                     std::string_view sockstat, std::string_view sockstat6);

// Reads the four files of the network namespace it was made in (the files stay open: a read costs a few
// microseconds and no path look-up). Not thread-safe.
class SocketCounters {
public:
    explicit SocketCounters(const std::string& procNet = "/proc/net");
    // The digest now; nullopt when a file cannot be read.
    [[nodiscard]] std::optional<uint64_t> Read();

private:
    static constexpr std::size_t kMaxText = 16384; // snmp6, the longest, is about 3 kB
    std::array<UniqueFd, 4> m_files;
    std::array<std::string, 4> m_texts;
};

} // namespace qb::linux_os
