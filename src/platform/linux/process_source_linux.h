#pragma once
// Processes from the numeric entries of /proc, executables from their exe links.
#include "platform/process_source.h"

#include <string>

namespace qb::linux_os {

// Kernel threads and zombies have no exe link, other users' processes refuse it: those give nullopt.
// Not thread-safe.
class LinuxProcessSource final : public ProcessSource {
public:
    explicit LinuxProcessSource(std::string procRoot = "/proc");
    std::optional<std::vector<uint32_t>> ListProcesses() override;
    std::optional<std::string> ExecutablePath(uint32_t pid) override;
    // Clock ticks since boot, from /proc/<pid>/stat.
    std::optional<uint64_t> StartTime(uint32_t pid) override;

private:
    std::string m_procRoot;
};

// The text of an exe link without the " (deleted)" the kernel appends once the file was replaced.
std::string StripDeletedSuffix(std::string target);

} // namespace qb::linux_os
