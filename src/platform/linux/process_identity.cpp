#include "platform/linux/process_identity.h"

#include "platform/linux/netlink_socket.h"
#include "platform/linux/sock_diag_parser.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>

namespace qb::linux_os {

std::optional<uint32_t> ParseId(const char* name) noexcept
{
    const char* end = name + std::strlen(name);
    uint32_t id = 0;
    const auto [ptr, ec] = std::from_chars(name, end, id);
    return ec == std::errc() && ptr == end && ptr != name ? std::optional(id) : std::nullopt;
}
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Appends `text` at `at` within `buffer`, always leaving room for the final '\0'; returns the new end.
std::size_t Append(char* buffer, std::size_t size, std::size_t at, const char* text) noexcept
{
    while (*text != '\0' && at + 1 < size)
        buffer[at++] = *text++;
    buffer[at] = '\0';
    return at;
}

std::size_t AppendNumber(char* buffer, std::size_t size, std::size_t at, uint32_t value) noexcept
{
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    char text[12];
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    text[count] = '\0';
    return Append(buffer, size, at, text);
}

} // namespace

std::optional<uint64_t> ParseStartTime(const char* text, std::size_t length) noexcept
{
    // The command name may hold spaces and parentheses: count fields after the last ')'.
    std::size_t close = length;
    for (std::size_t i = length; i > 0; --i) {
        if (text[i - 1] == ')') {
            close = i - 1;
            break;
        }
    }
    int field = 2;
    for (std::size_t i = close + 1; i < length; ++i) {
        if (text[i] != ' ' || ++field != 22)
            continue;
        uint64_t value = 0;
        std::size_t end = i + 1;
        for (; end < length && text[end] >= '0' && text[end] <= '9'; ++end)
            value = value * 10 + static_cast<uint64_t>(text[end] - '0');
        return end == i + 1 ? std::nullopt : std::optional(value);
    }
    return std::nullopt;
}

std::optional<uint64_t> ProcessStartTimeRaw(const char* procRoot, uint32_t pid) noexcept
{
    char path[4096];
    std::size_t at = Append(path, sizeof path, 0, procRoot);
    at = Append(path, sizeof path, at, "/");
    at = AppendNumber(path, sizeof path, at, pid);
    Append(path, sizeof path, at, "/stat");
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[1024];
    const ssize_t length = ::read(fd, text, sizeof text);
    ::close(fd);
    return length > 0 ? ParseStartTime(text, static_cast<std::size_t>(length)) : std::nullopt;
}

std::optional<uint64_t> ProcessStartTime(const std::string& procRoot, uint32_t pid)
{
    // Read for every owner at every refresh: no stream, one read into the stack.
    return ProcessStartTimeRaw(procRoot.c_str(), pid);
}

std::optional<uint32_t> ThreadGroupOf(const std::string& procRoot, uint32_t threadId)
{
    std::istringstream status(ReadFile(procRoot + "/" + std::to_string(threadId) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        uint32_t tgid = 0;
        if (std::sscanf(line.c_str(), "Tgid: %u", &tgid) == 1)
            return tgid;
    }
    return std::nullopt;
}

std::string BootId(const std::string& procRoot)
{
    std::string id = ReadFile(procRoot + "/sys/kernel/random/boot_id");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

bool HoldsSocket(const std::string& procRoot, uint32_t pid, uint32_t inode)
{
    const std::string folder = procRoot + "/" + std::to_string(pid) + "/fd";
    std::unique_ptr<DIR, int (*)(DIR*)> fds(::opendir(folder.c_str()), ::closedir);
    if (!fds)
        return false;
    const std::string wanted = "socket:[" + std::to_string(inode) + "]";
    char link[64];
    while (const dirent* fd = ::readdir(fds.get())) {
        const ssize_t length = ::readlinkat(::dirfd(fds.get()), fd->d_name, link, sizeof link);
        if (length > 0 && std::string_view(link, static_cast<std::size_t>(length)) == wanted)
            return true;
    }
    return false;
}

std::optional<uint32_t> ConnectionInode(const TcpEndpoints& connection)
{
    auto netlink = NetlinkSocket::Open(NETLINK_SOCK_DIAG);
    if (!netlink)
        return std::nullopt;
    // The cookie names one socket for as long as it lives; without one the endpoints must all match.
    const auto same = [&connection](const TcpEndpoints& found) {
        if (connection.cookie != 0)
            return found.cookie == connection.cookie;
        TcpEndpoints unnamed = found;
        unnamed.cookie = 0;
        return unnamed == connection;
    };
    std::optional<uint32_t> inode;
    for (const uint8_t family : {AF_INET, AF_INET6}) {
        inet_diag_req_v2 request{};
        request.sdiag_family = family;
        request.sdiag_protocol = connection.protocol == Transport::Udp ? IPPROTO_UDP : IPPROTO_TCP;
        request.idiag_states = ~0u;
        // A failed dump (no IPv6) leaves what the other family found.
        (void)netlink->Dump(SOCK_DIAG_BY_FAMILY, &request, sizeof request, [&](const nlmsghdr& header) {
            if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY)
                return;
            const auto socket = ParseDiagMessage(NLMSG_DATA(&header), header.nlmsg_len - NLMSG_HDRLEN);
            const auto row = socket ? ToRow(*socket, connection.protocol, 0) : std::nullopt;
            if (row && socket->kernelState != kKernelListen && socket->inode != 0 && same(row->endpoints))
                inode = socket->inode;
        });
        if (inode)
            break;
    }
    return inode;
}

} // namespace qb::linux_os
