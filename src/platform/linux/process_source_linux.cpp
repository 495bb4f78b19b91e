#include "platform/linux/process_source_linux.h"

#include "platform/linux/process_identity.h"

#include <dirent.h>
#include <limits.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace qb::linux_os {

LinuxProcessSource::LinuxProcessSource(std::string procRoot) : m_procRoot(std::move(procRoot)) {}

std::optional<std::vector<uint32_t>> LinuxProcessSource::ListProcesses()
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(m_procRoot.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    std::vector<uint32_t> pids;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (const std::optional<uint32_t> pid = ParseId(entry->d_name))
            pids.push_back(*pid);
    }
    return pids;
}

std::optional<std::string> LinuxProcessSource::ExecutablePath(uint32_t pid)
{
    const std::string link = m_procRoot + "/" + std::to_string(pid) + "/exe";
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof target))
        return std::nullopt;
    return StripDeletedSuffix(std::string(target, static_cast<std::size_t>(length)));
}

std::optional<uint64_t> LinuxProcessSource::StartTime(uint32_t pid)
{
    return ProcessStartTime(m_procRoot, pid);
}

std::string StripDeletedSuffix(std::string target)
{
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() && target.ends_with(kDeleted))
        target.resize(target.size() - kDeleted.size());
    return target;
}

} // namespace qb::linux_os
