#pragma once
// What the benchmarks of the main window share: sockets and child processes that hold connections, a peer
// in a namespace of its own, the window on the real platform, and the clocks and counters they read.
#include "base/settings_store.h"
#include "monitor/monitoring_page.h"
#include "platform/linux/linux_platform.h"
#include "shell/frm_main_window.h"
#include "support/net_namespace.h"

#include <QTemporaryDir>
#include <QTreeWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qb::bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d);
// The system-wide monotonic clock in nanoseconds: comparable between processes.
int64_t MonotonicNs();
[[noreturn]] void Fail(const char* what);
// `ss` with its output discarded: the median of 9 runs, in ms.
double SsMs(const char* arguments);
// A child holding `count` loopback connections, both ends. It reports on `report` (a pipe) the monotonic
// time at which the last of them was reset or closed, then waits.
std::unique_ptr<test::ChildProcess> HoldConnections(int count, int report);
// `connections` connections in `processes` children, as HoldConnections makes them.
std::vector<std::unique_ptr<test::ChildProcess>> HoldMany(int connections, int processes, int report);
// A process in a network namespace of its own, joined to this one by the veth pair (its qbv1 end moved
// there, 10.213.0.1/24): it accepts and holds every connection to 10.213.0.1:`port`, so that only the
// client ends are in this namespace's table.
std::unique_ptr<test::ChildProcess> StartPeer(uint16_t port);
int ConnectToPeer(uint16_t port);
long ResidentKb();
double ThreadCpuMs();
double Median(std::vector<double> values);
double CpuSeconds(); // of the whole process

// The window on the real platform, with settings in a temporary home and an allow rule for this program
// (and so for its children), so that only the programs a mode starts otherwise are unknown.
// The window on the real platform, with settings in a temporary home and an allow rule for this program
// (and so for its children), so that only the programs a benchmark starts otherwise are unknown.
class World {
public:
    World();
    // Runs the event loop until `done` holds or `timeoutMs` passed; false on a timeout.
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs);
    static void RunFor(int ms);
    int ListRows() const { return window->Monitoring()->ListView1()->topLevelItemCount(); }

private:
    QTemporaryDir m_home;
    Platform m_platform;
    std::unique_ptr<SettingsStore> m_settings;

public:
    std::unique_ptr<FrmMain> window; // last: it uses everything above
};

} // namespace qb::bench
