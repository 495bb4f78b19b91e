#include "platform/linux/socket_owner_map.h"

#include "platform/linux/process_identity.h"
#include "platform/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

namespace qb::linux_os {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// Opens a directory relative to `parent`; the DIR owns the descriptor.
DirPtr OpenDirAt(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr)
        ::close(fd);
    return DirPtr(dir);
}

} // namespace

SocketOwnerMap::SocketOwnerMap(std::string procRoot) : m_procRoot(std::move(procRoot)) {}

std::vector<uint32_t> SocketOwnerMap::Resolve(const std::vector<uint32_t>& inodes)
{
    std::unordered_set<uint32_t> current(inodes.begin(), inodes.end());
    std::unordered_map<uint32_t, std::optional<uint64_t>> startTimes; // of the process under each pid now
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        bool keep = current.count(it->first) != 0;
        if (keep && it->second.pid != 0) {
            auto [found, added] = startTimes.try_emplace(it->second.pid);
            if (added)
                found->second = ProcessStartTime(m_procRoot, it->second.pid);
            keep = found->second.has_value() && found->second == it->second.startTime;
        }
        it = keep ? std::next(it) : m_entries.erase(it);
    }

    std::vector<uint32_t> unknown;
    for (const uint32_t inode : current) {
        if (inode != 0 && m_entries.count(inode) == 0)
            unknown.push_back(inode);
    }
    if (!unknown.empty())
        Scan(unknown);

    std::vector<uint32_t> pids;
    pids.reserve(inodes.size());
    for (const uint32_t inode : inodes) {
        const auto it = inode == 0 ? m_entries.end() : m_entries.find(inode);
        pids.push_back(it == m_entries.end() ? 0 : it->second.pid);
    }
    return pids;
}

void SocketOwnerMap::Scan(const std::vector<uint32_t>& inodes)
{
    ++m_scans;
    std::set<uint32_t> knownOwners;
    for (const auto& [inode, entry] : m_entries) {
        if (entry.pid != 0)
            knownOwners.insert(entry.pid);
    }
    UniqueFd root(::open(m_procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DirPtr processes = root.Valid() ? OpenDirAt(root.Get(), ".") : nullptr;
    if (!processes)
        return; // out of descriptors, say: nothing is settled, the next fetch searches again
    // Unowned unless a holder turns up below; such sockets are not searched for again.
    for (const uint32_t inode : inodes)
        m_entries[inode] = Entry{0};
    std::unordered_set<uint32_t> wanted(inodes.begin(), inodes.end());
    // A new connection most often belongs to a program that already has one (a browser opening
    // another), else to one that has just started: look there first, then from the newest process
    // down, so the scan usually stops long before the end of /proc.
    for (const uint32_t pid : knownOwners) {
        if (ScanProcess(root.Get(), pid, wanted))
            return;
    }
    std::vector<uint32_t> others;
    while (const dirent* process = ::readdir(processes.get())) {
        const std::optional<uint32_t> pid = ParseId(process->d_name);
        if (pid && knownOwners.count(*pid) == 0)
            others.push_back(*pid);
    }
    std::sort(others.begin(), others.end(), std::greater<>());
    for (const uint32_t pid : others) {
        if (ScanProcess(root.Get(), pid, wanted))
            return;
    }
}

bool SocketOwnerMap::ScanProcess(int rootFd, uint32_t pid, std::unordered_set<uint32_t>& wanted)
{
    constexpr char kPrefix[] = "socket:[";
    char link[64];
    char fdPath[32];
    std::snprintf(fdPath, sizeof fdPath, "%u/fd", pid);
    DirPtr fds = OpenDirAt(rootFd, fdPath);
    if (!fds)
        return false; // exited, or another user's process
    const int fdsFd = ::dirfd(fds.get());
    bool timed = false;
    std::optional<uint64_t> startTime;
    while (const dirent* fd = ::readdir(fds.get())) {
        if (fd->d_name[0] == '.')
            continue;
        const ssize_t length = ::readlinkat(fdsFd, fd->d_name, link, sizeof link - 1);
        if (length <= static_cast<ssize_t>(sizeof kPrefix) ||
            std::memcmp(link, kPrefix, sizeof kPrefix - 1) != 0)
            continue;
        link[length - 1] = '\0'; // the closing ']'
        const std::optional<uint32_t> inode = ParseId(link + sizeof kPrefix - 1);
        if (!inode)
            continue;
        // The first holder found wins: for a socket shared after fork, a known owner, else the newest
        // process holding it.
        if (wanted.erase(*inode) != 0) {
            if (!std::exchange(timed, true))
                startTime = ProcessStartTime(m_procRoot, pid);
            m_entries[*inode].pid = pid;
            m_entries[*inode].startTime = startTime;
            if (wanted.empty())
                return true;
        }
    }
    return false;
}

} // namespace qb::linux_os
