#pragma once
// The running processes and the executable each one runs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qb {

// Not thread-safe: one instance per thread.
class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    // Ids of the running processes in the order the system lists them; nullopt when the list cannot be read.
    [[nodiscard]] virtual std::optional<std::vector<uint32_t>> ListProcesses() = 0;
    // Full path of the process's executable; nullopt for a process that has ended, a kernel thread, a
    // zombie or one the user may not inspect.
    [[nodiscard]] virtual std::optional<std::string> ExecutablePath(uint32_t pid) = 0;
    // When the process started, in the system's own unit; two processes that share a pid one after the
    // other differ in it. nullopt for a process that has ended or cannot be read, and from sources that
    // cannot tell (the default).
    [[nodiscard]] virtual std::optional<uint64_t> StartTime(uint32_t /*pid*/) { return std::nullopt; }
};

} // namespace qb
