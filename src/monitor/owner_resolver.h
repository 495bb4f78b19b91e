#pragma once
// Names the owner of every monitored connection and hands each one to the access decision.
#include "base/tcp_table.h"
#include "platform/process_source.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qb {

// UI thread only.
class OwnerResolver {
public:
    OwnerResolver(TcpTable& table, ProcessSource& processes);

    // The access decision: true when the connection in slot `index`, owned by the program at `path`, is
    // to be deleted. The main window fills it; unset means keep every connection.
    std::function<bool(const std::string& path, int16_t index)> CheckPrograms;

    // For each process, in the order the system lists them, whose executable can be read: every
    // non-listening slot 0..MonitoredCount it owns gets its Path and goes to CheckPrograms once, in
    // ascending slot order; a true answer deletes that connection. Processes that cannot be read (ended,
    // other users', kernel threads) are skipped silently; their slots keep an empty Path.
    void ResolveOwners();

private:
    TcpTable& m_table;
    ProcessSource& m_processes;
};

} // namespace qb
