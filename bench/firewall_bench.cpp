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
#include "bench_world.h"
#include "control/prompt_list_window.h"
#include "controls/user_control6.h"
#include "integration/loopback.h"

#include <QApplication>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace qb::bench;

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
    const int listener = qb::test::Listen(port);
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
    qb::test::RaiseOpenFileLimit();
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
