#pragma once
// Who a process is (pid and start time, from /proc) and whether it holds a given socket.
#include "platform/tcp_table_source.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qb::linux_os {

// A pid, thread id or socket inode as /proc writes it: digits alone; nullopt for anything else.
std::optional<uint32_t> ParseId(const char* name) noexcept;
// Field 22 of /proc/<pid>/stat (start time in clock ticks since boot); nullopt when unreadable.
std::optional<uint64_t> ProcessStartTime(const std::string& procRoot, uint32_t pid);
// The same field read without allocating, for a signal handler or a freshly forked child.
std::optional<uint64_t> ProcessStartTimeRaw(const char* procRoot, uint32_t pid) noexcept;
// The start time from the text of a stat file; nullopt when it has none.
std::optional<uint64_t> ParseStartTime(const char* text, std::size_t length) noexcept;
// The Tgid line of /proc/<tid>/status: the process a thread belongs to.
std::optional<uint32_t> ThreadGroupOf(const std::string& procRoot, uint32_t threadId);
// /proc/sys/kernel/random/boot_id without its line end; empty when unreadable.
std::string BootId(const std::string& procRoot);

// Whether one of `pid`'s descriptors is the socket `inode` (false when its fds cannot be read).
bool HoldsSocket(const std::string& procRoot, uint32_t pid, uint32_t inode);
// The inode of the TCP socket with these endpoints in the caller's network namespace, listeners
// excluded; nullopt when there is none or the table cannot be read.
std::optional<uint32_t> ConnectionInode(const TcpEndpoints& connection);

} // namespace qb::linux_os
