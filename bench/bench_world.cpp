#include "bench_world.h"
#include "integration/loopback.h"

#include "control/rule_store.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace qb::bench {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The system-wide monotonic clock in nanoseconds: comparable between processes.
int64_t MonotonicNs()
{
    // steady_clock is CLOCK_MONOTONIC here: the same in every process.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

[[noreturn]] void Fail(const char* what)
{
    std::perror(what);
    std::exit(1);
}

// `ss` with its output discarded: the median of 9 runs, in ms.
double SsMs(const char* arguments)
{
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) {
        const auto start = Clock::now();
        if (std::system((std::string("ss ") + arguments + " >/dev/null 2>&1").c_str()) != 0)
            Fail("ss");
        times.push_back(Ms(Clock::now() - start));
    }
    return Median(times);
}

// A child holding `count` loopback connections, both ends. It reports on `report` (a pipe) the monotonic
// time at which the last of them was reset or closed, then exits.
std::unique_ptr<qb::test::ChildProcess> HoldConnections(int count, int report)
{
    int ready[2];
    if (::pipe(ready) != 0)
        Fail("pipe");
    auto child = std::make_unique<qb::test::ChildProcess>([&] {
        uint16_t port = 0;
        const int listener = test::Listen(port);
        const int events = ::epoll_create1(0);
        std::vector<int> clients;
        for (int i = 0; i < count; ++i) {
            const int client = clients.emplace_back(test::Connect(port));
            const int server = ::accept(listener, nullptr, nullptr);
            epoll_event interest{EPOLLRDHUP | EPOLLHUP | EPOLLERR, {.u64 = static_cast<uint64_t>(i)}};
            if (server < 0 || ::epoll_ctl(events, EPOLL_CTL_ADD, client, &interest) != 0)
                ::_exit(1);
            (void)server; // held: its reset shows on the client
        }
        ::close(listener);
        (void)!::write(ready[1], "x", 1);
        std::vector<bool> gone(static_cast<std::size_t>(count));
        int left = count;
        int64_t last = 0;
        while (left > 0) {
            epoll_event happened[64];
            const int n = ::epoll_wait(events, happened, 64, -1);
            for (int e = 0; e < n; ++e) {
                const auto index = static_cast<std::size_t>(happened[e].data.u64);
                if (!gone[index]) {
                    gone[index] = true;
                    --left;
                    last = MonotonicNs();
                    ::epoll_ctl(events, EPOLL_CTL_DEL, clients[index], nullptr); // it would report forever
                }
            }
        }
        (void)!::write(report, &last, sizeof last);
        for (;;)
            ::pause();
    });
    ::close(ready[1]);
    char byte = 0;
    if (::read(ready[0], &byte, 1) != 1)
        Fail("child set-up");
    ::close(ready[0]);
    return child;
}

// A process in a network namespace of its own, joined to this one by the veth pair (its qbv1 end moved
// there, 10.213.0.1/24): it accepts and holds every connection to 10.213.0.1:`port`, so that only the
// client ends are in this namespace's table.
std::unique_ptr<qb::test::ChildProcess> StartPeer(uint16_t port)
{
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0)
        Fail("pipe");
    auto peer = std::make_unique<qb::test::ChildProcess>([&] {
        char byte = 0;
        if (::unshare(CLONE_NEWNET) != 0 || ::write(up[1], "1", 1) != 1 || ::read(down[0], &byte, 1) != 1 ||
            !qb::test::RunCommand(
                "ip link set lo up && ip addr add 10.213.0.1/24 dev qbv1 && ip link set qbv1 up"))
            ::_exit(1);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{AF_INET, htons(port), {}, {}};
        ::inet_pton(AF_INET, "10.213.0.1", &address.sin_addr);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 4096) != 0 || ::write(up[1], "2", 1) != 1)
            ::_exit(1);
        for (;;)
            (void)::accept(listener, nullptr, nullptr); // held until the peer is killed
    });
    char byte = 0;
    if (::read(up[0], &byte, 1) != 1 ||
        !qb::test::RunCommand("ip link set qbv1 netns " + std::to_string(peer->Pid())) ||
        ::write(down[1], "m", 1) != 1 || ::read(up[0], &byte, 1) != 1)
        Fail("peer namespace");
    for (const int fd : {up[0], up[1], down[0], down[1]})
        ::close(fd);
    return peer;
}

int ConnectToPeer(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(port), {}, {}};
    ::inet_pton(AF_INET, "10.213.0.1", &address.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Fail("connect to the peer");
    return fd;
}

// 2000 connections in 50 children by default: `connections` connections, `processes` children.
std::vector<std::unique_ptr<qb::test::ChildProcess>> HoldMany(int connections, int processes, int report)
{
    std::vector<std::unique_ptr<qb::test::ChildProcess>> children;
    for (int p = 0; p < processes; ++p)
        children.push_back(HoldConnections(connections / processes, report));
    return children;
}

long ResidentKb()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kb = std::atol(line + 6);
    }
    if (status != nullptr)
        std::fclose(status);
    return kb;
}

double ThreadCpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

World::World()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + "/data"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_home.path() + "/state"));
    m_platform = linux_os::MakeLinuxPlatform(linux_os::DefaultStateFolder());
    m_settings = std::make_unique<SettingsStore>();
    window = std::make_unique<FrmMain>(m_platform, *m_settings);
    RuleStore& rules = window->Rules();
    const QString self = QString::fromStdString(std::filesystem::canonical("/proc/self/exe").string());
    if (!rules.AddProgram(self, 0))
        Fail("rule");
    rules.UpdatePrograms();
    if (!rules.SetProgramStatus(rules.CheckProgramID(self), 1))
        Fail("rule");
    rules.UpdatePrograms();
    window->LoadWindow();
    window->show();
}

bool World::RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void World::RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace qb::bench
