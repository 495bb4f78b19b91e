// The firewall's main window on the real platform, measured from outside, in a private network namespace
// that is online (a veth pair with an address, no default route). Run as root, one mode per run:
//
//   bench_firewall blockall [connections=2000] [processes=50]
//       Block-all switched on with the connections held by child processes (both ends in each child):
//       every child timestamps the reset of each of its connections with the system's monotonic clock;
//       the figure is the last reset after the switch. A 2 ms timer on the UI thread gives its longest
//       stall meanwhile.
//   bench_firewall detect [trials=30]
//       An unknown program (bash) connects to a listener; a watcher thread timestamps the accept and then
//       polls the program's state every 0.2 ms until it is stopped ('T'): connect to frozen.
//   bench_firewall refresh [connections=2000] [processes=50]
//       With the Monitoring page shown and every slot listed: the UI thread's CPU time from the check that
//       finds a new connection until its row is shown (fetch hand-over, conversion, owners, decisions, list
//       update; the dump itself runs on the table's worker), the same for a refresh alone, the time from
//       the check to the row, and the resident memory.
//   bench_firewall idle [sockets=200] [seconds=60] [data|monitoring|hidden]
//       CPU of the whole process (getrusage) while nothing changes: the window on the Data transfer page,
//       on the Monitoring page, and hidden in the notification area (or only the one named).
//
// Each mode prints the same run's `ss -tn` time beside its figures. The window draws on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise.
#include "base/settings_store.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "controls/user_control6.h"
#include "monitor/monitoring_page.h"
#include "platform/linux/linux_platform.h"
#include "shell/frm_main_window.h"
#include "support/net_namespace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The system-wide monotonic clock in nanoseconds: comparable between processes.
int64_t MonotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
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
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int ListenOnLoopback(uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4096) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        Fail("listen");
    port = ntohs(address.sin_port);
    return fd;
}

int ConnectToLoopback(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Fail("connect");
    return fd;
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
        const int listener = ListenOnLoopback(port);
        const int events = ::epoll_create1(0);
        std::vector<int> clients;
        for (int i = 0; i < count; ++i) {
            const int client = clients.emplace_back(ConnectToLoopback(port));
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

// The window on the real platform, with settings in a temporary home and an allow rule for this program
// (and so for its children), so that only the programs a mode starts otherwise are unknown.
class World {
public:
    World()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + "/data"));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_home.path() + "/state"));
        m_platform = qb::linux_os::MakeLinuxPlatform(qb::linux_os::DefaultStateFolder());
        m_settings = std::make_unique<qb::SettingsStore>();
        window = std::make_unique<qb::FrmMain>(m_platform, *m_settings);
        qb::RuleStore& rules = window->Rules();
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
    // Runs the event loop until `done` holds or `timeoutMs` passed; false on a timeout.
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs)
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
    static void RunFor(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    int ListRows() const { return window->Monitoring()->ListView1()->topLevelItemCount(); }

private:
    QTemporaryDir m_home;
    qb::Platform m_platform;
    std::unique_ptr<qb::SettingsStore> m_settings;

public:
    std::unique_ptr<qb::FrmMain> window; // goes first: it uses everything above
};

// 2000 connections in 50 children by default: `connections` connections, `processes` children.
std::vector<std::unique_ptr<qb::test::ChildProcess>> HoldMany(int connections, int processes, int report)
{
    std::vector<std::unique_ptr<qb::test::ChildProcess>> children;
    for (int p = 0; p < processes; ++p)
        children.push_back(HoldConnections(connections / processes, report));
    return children;
}

int BlockAll(int connections, int processes)
{
    int reports[2];
    if (::pipe(reports) != 0)
        Fail("pipe");
    auto children = HoldMany(connections, processes, reports[1]);
    const double ss = SsMs("-tn");
    World world;
    world.window->ShowPage(4);
    World::RunUntil([&] { return world.ListRows() >= 2000; }, 30000);
    World::RunFor(500);

    // The UI thread's longest gap between two 2 ms ticks while the switch acts.
    Clock::time_point lastTick = Clock::now();
    Clock::duration longestGap{};
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    const int64_t switched = MonotonicNs();
    const Clock::time_point start = Clock::now();
    QTimer::singleShot(0, [&] {
        lastTick = Clock::now();
        ticker.start();
        emit world.window->UserControl61()->ButtonClick(1); // the toolbar's "Block all"
    });
    int64_t lastReset = 0;
    int reported = 0;
    World::RunUntil(
        [&] {
            pollfd ready{reports[0], POLLIN, 0};
            while (::poll(&ready, 1, 0) == 1) {
                int64_t at = 0;
                if (::read(reports[0], &at, sizeof at) != sizeof at)
                    Fail("report");
                lastReset = std::max(lastReset, at);
                ++reported;
            }
            return reported == processes;
        },
        30000);
    World::RunFor(200);
    ticker.stop();
    std::printf("block-all over %d connections held by %d processes (%d sockets)\n", connections, processes,
                2 * connections);
    if (reported != processes) {
        std::printf("only %d of %d processes saw all their connections reset within 30 s\n", reported,
                    processes);
        return 1;
    }
    std::printf("every connection reset after      : %8.1f ms\n", (lastReset - switched) / 1e6);
    std::printf("longest UI-thread stall meanwhile : %8.1f ms\n", Ms(longestGap));
    std::printf("(%.0f ms of event loop observed)\n", Ms(Clock::now() - start));
    std::printf("ss -tn                            : %8.1f ms\n", ss);
    return 0;
}

int Detect(int trials)
{
    uint16_t port = 0;
    const int listener = ListenOnLoopback(port);
    World world;
    const double ss = SsMs("-tn");
    std::atomic<pid_t> bash{0};
    std::atomic<int> finished{0};
    std::vector<double> latencies;
    // Off the UI thread: the accept is the connect, the first 'T' in /proc the freeze.
    std::thread watcher([&] {
        for (int t = 0; t < trials; ++t) {
            const int accepted = ::accept(listener, nullptr, nullptr);
            const int64_t connected = MonotonicNs();
            for (;;) {
                if (qb::test::ProcessState(bash.load()) == 'T')
                    break;
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                if (MonotonicNs() - connected > 5'000'000'000)
                    break;
            }
            latencies.push_back((MonotonicNs() - connected) / 1e6);
            ::close(accepted);
            finished = t + 1;
        }
    });
    std::unique_ptr<qb::test::ChildProcess> current;
    for (int t = 0; t < trials; ++t) {
        // A pause of its own length before each trial, so that the connect falls anywhere in the 50 ms.
        World::RunFor(150 + (t * 37) % 100);
        const std::string script =
            "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(port) + "; read -r -t 30 -u 3 2>/dev/null";
        current = std::make_unique<qb::test::ChildProcess>(
            [&] { ::execl("/bin/bash", "bash", "-c", script.c_str(), static_cast<char*>(nullptr)); });
        bash = current->Pid();
        World::RunUntil([&] { return finished.load() == t + 1; }, 10000);
        World::RunUntil([&] { return world.window->Prompts().Latest() != nullptr; }, 5000);
        while (qb::frmAttempt* prompt = world.window->Prompts().Latest()) {
            prompt->close(); // released
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        current.reset();
    }
    watcher.join();
    std::sort(latencies.begin(), latencies.end());
    std::printf("connect to frozen over %d trials: median %.1f ms, worst %.1f ms, best %.1f ms\n", trials,
                latencies[latencies.size() / 2], latencies.back(), latencies.front());
    std::printf("ss -tn: %.1f ms\n", ss);
    ::close(listener);
    return 0;
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
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Refresh(int connections, int processes)
{
    constexpr uint16_t kPeerPort = 7000;
    auto peer = StartPeer(kPeerPort);
    std::vector<std::unique_ptr<qb::test::ChildProcess>> children;
    for (int p = 0; p < processes; ++p) {
        children.push_back(std::make_unique<qb::test::ChildProcess>([&] {
            for (int i = 0; i < connections / processes; ++i)
                ConnectToPeer(kPeerPort);
            for (;;)
                ::pause();
        }));
    }
    World world;
    world.window->ShowPage(4);
    QTreeWidget* list = world.window->Monitoring()->ListView1();
    if (!World::RunUntil([&] { return world.ListRows() >= connections; }, 60000))
        Fail("the connections were not listed");
    World::RunFor(2500); // owners cached, the full fetch of every 2 s done at least once
    std::vector<double> uiCpu, refreshCpu, wall;
    for (int i = 0; i < 15; ++i) {
        const int client = ConnectToPeer(kPeerPort);
        sockaddr_in own{};
        socklen_t length = sizeof own;
        ::getsockname(client, reinterpret_cast<sockaddr*>(&own), &length);
        const QString row = "bench_firewall (" + QString::number(ntohs(own.sin_port)) + ")";
        const double cpu = ThreadCpuMs();
        const auto start = Clock::now();
        world.window->CheckForChanges(); // a tick's check: the counters moved, so fetch, then refresh
        World::RunUntil([&] { return !list->findItems(row, Qt::MatchExactly).isEmpty(); }, 10000);
        wall.push_back(Ms(Clock::now() - start));
        uiCpu.push_back(ThreadCpuMs() - cpu);
        const double refresh = ThreadCpuMs();
        world.window->RefreshList();
        refreshCpu.push_back(ThreadCpuMs() - refresh);
        const linger abort{1, 0}; // no time-wait row left behind
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(client);
        World::RunUntil([&] { return list->findItems(row, Qt::MatchExactly).isEmpty(); }, 10000);
    }
    const double ss = SsMs("-tn");
    std::printf("%d connections held by %d processes, their peers in another namespace; %d rows listed\n",
                connections, processes, world.ListRows());
    std::printf(
        "UI-thread CPU, check finding a new connection to its row shown: median %.1f ms, worst %.1f ms\n",
        Median(uiCpu), *std::max_element(uiCpu.begin(), uiCpu.end()));
    std::printf("UI-thread CPU, a refresh of the current table alone       : median %.1f ms, worst %.1f ms\n",
                Median(refreshCpu), *std::max_element(refreshCpu.begin(), refreshCpu.end()));
    std::printf("time from the check to the row shown                      : median %.1f ms\n", Median(wall));
    std::printf("resident memory: %.1f MB\n", ResidentKb() / 1024.0);
    std::printf("ss -tn: %.1f ms\n", ss);
    return 0;
}

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Idle(int sockets, int seconds, const std::string& only)
{
    int reports[2];
    if (::pipe(reports) != 0)
        Fail("pipe");
    auto children = HoldMany(sockets / 2, std::max(1, sockets / 40), reports[1]);
    World world;
    const double ss = SsMs("-tn");
    const auto measure = [&](const char* what) {
        World::RunFor(3000); // settle
        const double cpu = CpuSeconds();
        const auto start = Clock::now();
        World::RunFor(seconds * 1000);
        const double share =
            (CpuSeconds() - cpu) / std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("idle, %-34s: %6.3f %% of a core\n", what, 100.0 * share);
    };
    if (only.empty() || only == "data") {
        world.window->ShowPage(1);
        measure("window shown, Data transfer page");
    }
    if (only.empty() || only == "monitoring") {
        world.window->ShowPage(4);
        measure("window shown, Monitoring page");
    }
    if (only.empty() || only == "hidden") {
        world.window->hide();
        measure("hidden in the notification area");
    }
    std::printf("%d sockets listed in %d rows over %d s each; ss -tn: %.1f ms\n", sockets, world.ListRows(),
                seconds, ss);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const auto number = [&](int index, int fallback) {
        return argc > index ? std::atoi(argv[index]) : fallback;
    };
    if (mode != "blockall" && mode != "detect" && mode != "refresh" && mode != "idle") {
        std::fprintf(stderr, "usage: %s blockall|detect|refresh|idle [numbers...]\n", argv[0]);
        return 2;
    }
    std::string why;
    if (!qb::test::EnterFreshNetNamespace(&why) || !qb::test::MakeNamespaceOnline(&why)) {
        std::fprintf(stderr, "needs a private network namespace (run as root): %s\n", why.c_str());
        return 2;
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (mode == "blockall")
        return BlockAll(number(2, 2000), number(3, 50));
    if (mode == "detect")
        return Detect(number(2, 30));
    if (mode == "refresh")
        return Refresh(number(2, 2000), number(3, 50));
    return Idle(number(2, 200), number(3, 60), argc > 4 ? argv[4] : "");
}
