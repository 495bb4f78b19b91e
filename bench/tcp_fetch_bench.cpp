// Times the connection table fetch with owners against `ss` on the same sockets: a mixed table of
// established loopback TCP connections, half IPv4 and half IPv6, and connected UDP sockets, held by child
// processes inside a private network namespace. `ss -tn` lists the TCP sockets without owners, `ss -tunp`
// the TCP and connected UDP sockets with owners, as the fetch does.
// Run as root: bench_tcp_fetch [tcp connections=2000] [udp sockets=200] [processes=50]
#include "integration/loopback.h"
#include "platform/linux/tcp_table_linux.h"
#include "support/net_namespace.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs a command with its output discarded and waits for it.
void RunQuietly(const char* program, const char* argument)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        ::execlp(program, program, argument, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed\n", program, argument);
        std::exit(1);
    }
}

qb::test::Via Family(bool v6)
{
    return v6 ? qb::test::Via::IPv6 : qb::test::Via::IPv4;
}

} // namespace

int main(int argc, char** argv)
{
    const int connections = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int udpSockets = argc > 2 ? std::atoi(argv[2]) : 200;
    const int processes = argc > 3 ? std::atoi(argv[3]) : 50;
    if (connections <= 0 || udpSockets < 0 || processes <= 0 || connections % (2 * processes) != 0 ||
        udpSockets % (2 * processes) != 0) {
        std::fprintf(stderr, "TCP connections and UDP sockets must be multiples of twice the processes\n");
        return 2;
    }
    std::string why;
    if (!qb::test::EnterFreshNetNamespace(&why)) {
        std::fprintf(stderr, "needs a private network namespace (run as root): %s\n", why.c_str());
        return 2;
    }
    qb::test::RaiseOpenFileLimit();

    uint16_t tcpPort[2] = {};
    uint16_t udpPort[2] = {};
    using qb::test::Listen;
    const int listeners[2] = {Listen(tcpPort[0], Family(false)), Listen(tcpPort[1], Family(true))};
    const int receivers[2] = {Listen(udpPort[0], Family(false), SOCK_DGRAM),
                              Listen(udpPort[1], Family(true), SOCK_DGRAM)};

    const int tcpPerFamily = connections / processes / 2;
    const int udpPerFamily = udpSockets / processes / 2;
    std::vector<std::unique_ptr<qb::test::ChildProcess>> children;
    std::vector<int> accepted;
    for (int p = 0; p < processes; ++p) {
        int ready[2];
        if (::pipe(ready) != 0)
            return 1;
        children.push_back(std::make_unique<qb::test::ChildProcess>([&] {
            for (const bool v6 : {false, true}) {
                for (int i = 0; i < tcpPerFamily; ++i)
                    qb::test::Connect(tcpPort[v6], nullptr, Family(v6));
                for (int i = 0; i < udpPerFamily; ++i)
                    qb::test::Connect(udpPort[v6], nullptr, Family(v6), SOCK_DGRAM);
            }
            (void)!::write(ready[1], "x", 1);
            for (;;)
                ::pause();
        }));
        ::close(ready[1]);
        char byte = 0;
        if (::read(ready[0], &byte, 1) != 1) {
            std::fprintf(stderr, "child %d could not connect\n", p);
            return 1;
        }
        ::close(ready[0]);
        for (const int listener : listeners) {
            for (int i = 0; i < tcpPerFamily; ++i)
                accepted.push_back(::accept(listener, nullptr, nullptr));
        }
    }

    std::size_t rows = 0, owned = 0, ipv6 = 0, udp = 0;
    const double cold = MedianMs(15, [&] {
        qb::linux_os::LinuxTcpTable table;
        const qb::TcpFetch fetch = table.Fetch();
        rows = fetch.snapshot.RowCount();
        owned = ipv6 = udp = 0;
        for (const qb::TcpRow& row : fetch.snapshot.Rows()) {
            owned += row.pid != 0;
            ipv6 += row.endpoints.localAddr.IsIPv6();
            udp += row.endpoints.protocol == qb::Transport::Udp;
        }
    });
    qb::linux_os::LinuxTcpTable warmTable;
    (void)warmTable.Fetch();
    const double warm = MedianMs(50, [&] { (void)warmTable.Fetch(); });
    // One new connection per fetch, held by a process that already owns sockets: the usual churn.
    std::vector<int> extra;
    std::vector<double> churnTimes;
    for (int i = 0; i < 16; ++i) {
        const bool v6 = i % 2 != 0;
        extra.push_back(qb::test::Connect(tcpPort[v6], nullptr, Family(v6)));
        extra.push_back(::accept(listeners[v6], nullptr, nullptr));
        const auto start = Clock::now();
        (void)warmTable.Fetch();
        churnTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(churnTimes.begin(), churnTimes.end());
    const double churn = churnTimes[churnTimes.size() / 2];
    const double ssPlain = MedianMs(15, [] { RunQuietly("ss", "-tn"); });
    const double ssAll = MedianMs(15, [] { RunQuietly("ss", "-tunp"); });

    std::printf("%d TCP connections (half IPv6) and %d connected UDP sockets held by %d processes\n",
                connections, udpSockets, processes);
    std::printf("rows: %zu (%zu IPv6, %zu UDP), %zu with an owner\n", rows, ipv6, udp, owned);
    std::printf("fetch with owners, cold cache : %8.2f ms\n", cold);
    std::printf("fetch with owners, warm cache : %8.2f ms\n", warm);
    std::printf("warm cache, one new connection: %8.2f ms\n", churn);
    std::printf("ss -tn                        : %8.2f ms\n", ssPlain);
    std::printf("ss -tunp                      : %8.2f ms\n", ssAll);
    std::printf("cold / ss -tunp = %.2f   warm / ss -tunp = %.2f   warm / ss -tn = %.2f\n", cold / ssAll,
                warm / ssAll, warm / ssPlain);
    for (const int fd : extra)
        ::close(fd);
    for (const int fd : accepted)
        ::close(fd);
    for (const int fd : {listeners[0], listeners[1], receivers[0], receivers[1]})
        ::close(fd);
    return 0;
}
