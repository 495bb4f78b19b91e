#include "support/net_namespace.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace qb::test {
namespace {

bool BringLoopbackUp(std::string* why)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    ifreq req{};
    std::strncpy(req.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &req) == 0;
    if (ok) {
        req.ifr_flags |= IFF_UP;
        ok = ::ioctl(fd, SIOCSIFFLAGS, &req) == 0;
    }
    if (!ok)
        *why = std::string("bringing lo up: ") + std::strerror(errno);
    ::close(fd);
    return ok;
}

// Lines after the header of /proc/self/net/tcp{,6}: the sockets of this namespace.
int CountTcpSockets()
{
    int count = 0;
    for (const char* file : {"/proc/self/net/tcp", "/proc/self/net/tcp6"}) {
        std::ifstream in(file);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line))
            ++count;
    }
    return count;
}

} // namespace

bool EnterFreshNetNamespace(std::string* why)
{
    if (::geteuid() != 0) {
        *why = "not running as root";
        return false;
    }
    if (::unshare(CLONE_NEWNET) != 0) {
        *why = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        return false;
    }
    if (!BringLoopbackUp(why))
        return false;
    if (const int count = CountTcpSockets(); count != 0) {
        *why = "the new namespace already holds " + std::to_string(count) + " TCP sockets";
        return false;
    }
    return true;
}

bool MakeNamespaceOnline(std::string* why)
{
    const bool ok = RunCommand("ip link add qbv0 type veth peer name qbv1") &&
                    RunCommand("ip addr add 10.213.0.2/24 dev qbv0") && RunCommand("ip link set qbv0 up") &&
                    RunCommand("ip link set qbv1 up") &&
                    RunCommand("ip route add default via 10.213.0.1 dev qbv0");
    if (!ok)
        *why = "could not set up the veth pair and default route";
    return ok;
}

bool RunCommand(const std::string& command)
{
    const std::string quiet = command + " >/dev/null 2>&1";
    return std::system(quiet.c_str()) == 0;
}

ChildProcess::ChildProcess(const std::function<void()>& body)
{
    m_pid = ::fork();
    if (m_pid == 0) {
        body();
        ::_exit(0);
    }
}

ChildProcess::~ChildProcess()
{
    Kill();
}

void ChildProcess::Kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

char ProcessState(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size())
        return '?';
    return text[close + 2];
}

char ChildProcess::State() const
{
    return ProcessState(m_pid);
}

bool ChildProcess::WaitForState(char state, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (State() == state)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return State() == state;
}

} // namespace qb::test
