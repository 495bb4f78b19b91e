// Times the connection table fetch with owners against `ss -tnp` and `ss -tn` on the same sockets:
// 2000 established loopback connections held by 50 child processes, inside a private network namespace.
// Run as root: bench_tcp_fetch [connections] [processes]
#include "platform/linux/tcp_table_linux.h"
#include "support/net_namespace.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
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

} // namespace

int main(int argc, char** argv)
{
    const int connections = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int processes = argc > 2 ? std::atoi(argv[2]) : 50;
    if (connections <= 0 || processes <= 0 || connections % processes != 0) {
        std::fprintf(stderr, "connections must be a positive multiple of processes\n");
        return 2;
    }
    std::string why;
    if (!qb::test::EnterFreshNetNamespace(&why)) {
        std::fprintf(stderr, "needs a private network namespace (run as root): %s\n", why.c_str());
        return 2;
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);

    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 4096) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listener");
        return 1;
    }

    const int perProcess = connections / processes;
    std::vector<std::unique_ptr<qb::test::ChildProcess>> children;
    std::vector<int> accepted;
    for (int p = 0; p < processes; ++p) {
        int ready[2];
        if (::pipe(ready) != 0)
            return 1;
        children.push_back(std::make_unique<qb::test::ChildProcess>([&] {
            for (int i = 0; i < perProcess; ++i) {
                const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
                if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                    ::_exit(1);
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
        for (int i = 0; i < perProcess; ++i)
            accepted.push_back(::accept(listener, nullptr, nullptr));
    }

    std::size_t rows = 0;
    std::size_t owned = 0;
    const double cold = MedianMs(15, [&] {
        qb::linux_os::LinuxTcpTable table;
        const qb::TcpFetch fetch = table.Fetch();
        rows = fetch.snapshot.AvailableRows();
        owned = 0;
        for (uint32_t i = 0; i < rows; ++i)
            owned += fetch.snapshot.Row(i).pid != 0;
    });
    qb::linux_os::LinuxTcpTable warmTable;
    (void)warmTable.Fetch();
    const double warm = MedianMs(50, [&] { (void)warmTable.Fetch(); });
    // One new connection per fetch, held by a process that already owns sockets: the usual churn.
    std::vector<int> extra;
    std::vector<double> churnTimes;
    for (int i = 0; i < 15; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return 1;
        extra.push_back(fd);
        extra.push_back(::accept(listener, nullptr, nullptr));
        const auto start = Clock::now();
        (void)warmTable.Fetch();
        churnTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(churnTimes.begin(), churnTimes.end());
    const double churn = churnTimes[churnTimes.size() / 2];
    const double ssWithOwners = MedianMs(15, [] { RunQuietly("ss", "-tnp"); });
    const double ssPlain = MedianMs(15, [] { RunQuietly("ss", "-tn"); });

    std::printf("%d connections held by %d processes: %zu rows, %zu with an owner\n", connections, processes,
                rows, owned);
    std::printf("fetch with owners, cold cache : %8.2f ms\n", cold);
    std::printf("fetch with owners, warm cache : %8.2f ms\n", warm);
    std::printf("warm cache, one new connection: %8.2f ms\n", churn);
    std::printf("ss -tnp                       : %8.2f ms\n", ssWithOwners);
    std::printf("ss -tn                        : %8.2f ms\n", ssPlain);
    std::printf("cold / ss -tnp = %.2f   warm / ss -tnp = %.2f   warm / ss -tn = %.2f\n", cold / ssWithOwners,
                warm / ssWithOwners, warm / ssPlain);
    for (const int fd : extra)
        ::close(fd);
    for (const int fd : accepted)
        ::close(fd);
    ::close(listener);
    return 0;
}
