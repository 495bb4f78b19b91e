#pragma once
// The processes the firewall's own windows depend on. Freezing any of them would leave its prompt
// unanswerable, so access control never freezes them.
#include <cstdint>
#include <vector>

namespace qb {

// Not thread-safe: UI thread only. Never throws.
class DesktopProcesses {
public:
    virtual ~DesktopProcesses() = default;
    // This program, the display server, the window manager or compositor and the tray host, as far as
    // they can be found; duplicates are possible.
    virtual std::vector<uint32_t> Pids() = 0;
};

} // namespace qb
