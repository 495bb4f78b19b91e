#include "support/net_namespace.h"

#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace qb::test {

bool EnterFreshNetNamespace(std::string* why)
{
    if (::geteuid() != 0) {
        *why = "not running as root";
        return false;
    }
    if (::unshare(CLONE_NEWNET) != 0 || !RunCommand("ip link set lo up")) {
        *why = std::string("no new namespace with lo up: ") + std::strerror(errno);
        return false;
    }
    // The lines of /proc/self/net/tcp{,6} other than their headers are the sockets of this namespace.
    int sockets = 0;
    for (const char* file : {"/proc/self/net/tcp", "/proc/self/net/tcp6"}) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            sockets += line.find("local_address") == std::string::npos;
    }
    if (sockets != 0)
        *why = "the new namespace already holds " + std::to_string(sockets) + " TCP sockets";
    return sockets == 0;
}

void RaiseOpenFileLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool MakeNamespaceOnline(std::string* why)
{
    const bool ok =
        RunCommand("ip link add qbv0 type veth peer name qbv1 && ip addr add 10.213.0.2/24 dev qbv0 && "
                   "ip link set qbv0 up && ip link set qbv1 up");
    if (!ok)
        *why = "could not set up the veth pair";
    return ok;
}

bool RunCommand(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

char ProcessState(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

bool PollUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool Signal(pid_t pid, int signal)
{
    return pid > 0 && ::kill(pid, signal) == 0;
}

ChildProcess::ChildProcess(const std::function<void()>& body)
{
    m_pid = ::fork();
    if (m_pid == 0) {
        body();
        ::_exit(0);
    }
}

bool ChildProcess::Alive()
{
    if (m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

void ChildProcess::Kill()
{
    if (m_pid <= 0)
        return;
    Signal(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

} // namespace qb::test
