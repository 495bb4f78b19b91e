// The sock_diag table against real loopback connections in a private namespace: rows of both families
// and of connected UDP sockets with their owners, and SOCK_DESTROY of one connection or UDP socket with
// listeners and bound sockets untouched.
#include "base/tcp_table.h"
#include "base/text_format.h"
#include "integration/loopback.h"
#include "monitor/owner_resolver.h"
#include "platform/linux/process_source_linux.h"
#include "platform/linux/tcp_table_linux.h"
#include "platform/unique_fd.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <span>
#include <tuple>

namespace qb {
namespace {

using test::StoredPort;
using test::Via;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

std::vector<TcpRow> FetchRows(linux_os::LinuxTcpTable& table)
{
    TcpFetch fetch = table.Fetch();
    EXPECT_EQ(fetch.result, 0);
    return fetch.snapshot.Rows();
}

// The rows of `protocol` whose local port is `port` (host order).
std::vector<TcpRow> RowsFrom(const std::vector<TcpRow>& rows, Transport protocol, uint16_t port)
{
    std::vector<TcpRow> found;
    std::ranges::copy_if(rows, std::back_inserter(found), [&](const TcpRow& row) {
        return row.endpoints.protocol == protocol && row.endpoints.localPort == StoredPort(port);
    });
    return found;
}

// The error a one-byte read (or with `send` a one-byte send) of `fd` ends with; 0 when it succeeds.
int IoError(int fd, bool send = false)
{
    char byte = 'x';
    return (send ? ::send(fd, &byte, 1, 0) : ::recv(fd, &byte, 1, 0)) < 0 ? errno : 0;
}

class TcpTableIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QB_REQUIRE_FRESH_NAMESPACE();
        listener = Keep(test::Listen(port));
        listener6 = Keep(test::Listen(port6, Via::IPv6));
    }
    int Keep(int fd) { return fds.emplace_back(fd).Get(); }

    uint16_t port = 0;
    uint16_t port6 = 0;
    int listener = -1;
    int listener6 = -1;
    std::vector<UniqueFd> fds;
    const uint32_t self = static_cast<uint32_t>(::getpid());
};

TEST_F(
    TcpTableIntegrationTest,
    ConnectionsOfBothFamiliesAndConnectedUdpSocketsAppearWithTheirOwnersAndAreNamedByTheirProgramsInNamespace)
{
    uint16_t udpPort = 0;
    Keep(test::Listen(udpPort, Via::IPv4, SOCK_DGRAM)); // bound, no remote end: no connection
    std::vector<std::unique_ptr<test::ChildProcess>> children;
    // Rows by protocol, state, whether from a listening port, remote address and owner.
    using Key = std::tuple<Transport, uint32_t, bool, std::string, uint32_t>;
    const auto tcp = Transport::Tcp;
    // Listeners are never resolved: they are neither shown nor decided about.
    std::map<Key, int> expected = {{{tcp, 2, true, "0.0.0.0", 0}, 1},
                                   {{tcp, 2, true, "::", 0}, 1},
                                   {{tcp, 5, true, "127.0.0.1", self}, 3},
                                   {{tcp, 5, true, "::1", self}, 3}};
    for (int c = 0; c < 3; ++c) {
        children.push_back(std::make_unique<test::ChildProcess>([&] {
            fds.clear(); // the sockets of this process are not the child's
            test::Connect(udpPort, nullptr, Via::IPv4, SOCK_DGRAM); // first: done once both accepts are
            test::Connect(port);
            test::Connect(port6, nullptr, Via::IPv6);
            for (;;)
                ::pause();
        }));
        Keep(test::Accept(listener));
        Keep(test::Accept(listener6));
        const auto child = static_cast<uint32_t>(children.back()->Pid());
        for (const char* remote : {"127.0.0.1", "::1"})
            expected[{tcp, 5, false, remote, child}] = 1;
        expected[{Transport::Udp, 5, false, "127.0.0.1", child}] = 1;
    }
    linux_os::LinuxTcpTable source;
    std::map<Key, int> found;
    for (const TcpRow& row : FetchRows(source)) {
        const TcpEndpoints& ends = row.endpoints;
        EXPECT_EQ(FormatAddress(ends.localAddr), ends.localAddr.IsIPv6() ? "::1" : "127.0.0.1");
        const bool fromListeningPort =
            ends.localPort == StoredPort(port) || ends.localPort == StoredPort(port6);
        ++found[{ends.protocol, row.state, fromListeningPort, FormatAddress(ends.remoteAddr), row.pid}];
    }
    EXPECT_EQ(found, expected);

    // The owners are cached (no second scan of /proc); a holder gone between the fetch and the resolution
    // leaves its rows without a program, every other is named and decided about once.
    const int scans = source.OwnerScans();
    linux_os::LinuxProcessSource processes;
    TcpTable table(source);
    OwnerResolver resolver(table, processes);
    std::map<std::string, int> checked;
    resolver.CheckPrograms = [&](const std::string& path, int16_t) { return ++checked[path] < 0; };
    ASSERT_TRUE(table.FetchTcpTable());
    EXPECT_EQ(source.OwnerScans(), scans);
    const auto leaving = static_cast<uint32_t>(children[0]->Pid());
    children[0]->Kill();
    table.ConvertTcpTable();
    resolver.ResolveOwners();
    EXPECT_EQ(checked, (std::map<std::string, int>{{std::filesystem::canonical("/proc/self/exe"), 12}}));
    for (const ConnectionRecord& slot : std::span(table.Connections).first(table.MonitoredCount() + 1))
        EXPECT_EQ(slot.Path.empty(), slot.PID == leaving || slot.State == "2") << slot.PID;
}

TEST_F(TcpTableIntegrationTest,
       DeletingAConnectionOfEitherFamilyResetsBothEndsButAStaleCookieOrAListenerDeletesNothingInNamespace)
{
    linux_os::LinuxTcpTable table;
    // A connection closed since its row was fetched: its server side's 4-tuple alone would find the listener.
    uint16_t staleClientPort = 0;
    const int stale = test::Connect(port, &staleClientPort);
    const int staleServer = test::Accept(listener);
    const TcpRow closed = RowsFrom(FetchRows(table), Transport::Tcp, port).back();
    ::close(stale); // first, so that the server side does not linger
    ::close(staleServer);
    EXPECT_EQ(table.DeleteConnection(closed.endpoints), DeleteOutcome::NoSuchConnection);
    for (const Via via : {Via::IPv4, Via::Mapped, Via::IPv6}) {
        SCOPED_TRACE(static_cast<int>(via));
        uint16_t clientPort = 0;
        const int client = Keep(test::Connect(via == Via::IPv6 ? port6 : port, &clientPort, via));
        const int server = Keep(test::Accept(via == Via::IPv6 ? listener6 : listener));
        // An IPv4-mapped connection is an IPv4 row like any other.
        const std::vector<TcpRow> rows = RowsFrom(FetchRows(table), Transport::Tcp, clientPort);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].endpoints.remoteAddr.IsIPv6(), via == Via::IPv6);
        TcpEndpoints otherSocket = rows[0].endpoints;
        ++otherSocket.cookie;
        EXPECT_EQ(table.DeleteConnection(otherSocket), DeleteOutcome::NoSuchConnection);
        ASSERT_EQ(table.DeleteConnection(rows[0].endpoints), DeleteOutcome::Deleted);
        EXPECT_EQ(IoError(client), ECONNABORTED);
        EXPECT_EQ(IoError(server), ECONNRESET);
        EXPECT_TRUE(RowsFrom(FetchRows(table), Transport::Tcp, clientPort).empty());
    }
    for (const auto& [via, servicePort] : {std::pair{Via::IPv4, port}, {Via::IPv6, port6}}) {
        const std::vector<TcpRow> listening = RowsFrom(FetchRows(table), Transport::Tcp, servicePort);
        ASSERT_EQ(listening.size(), 1u);
        EXPECT_EQ(table.DeleteConnection(listening[0].endpoints), DeleteOutcome::NoSuchConnection);
        EXPECT_TRUE(test::CarriesData(via == Via::IPv6 ? listener6 : listener, servicePort, via));
    }
}

TEST_F(TcpTableIntegrationTest,
       AConnectedUdpSocketOfEitherFamilyIsDestroyedSoItsNextSendFailsWhileABoundOneIsLeftAloneInNamespace)
{
    linux_os::LinuxTcpTable table;
    for (const Via via : {Via::IPv4, Via::IPv6}) {
        SCOPED_TRACE(static_cast<int>(via));
        uint16_t receiverPort = 0, clientPort = 0;
        const int receiver = Keep(test::Listen(receiverPort, via, SOCK_DGRAM));
        const int client = Keep(test::Connect(receiverPort, &clientPort, via, SOCK_DGRAM));
        const std::vector<TcpRow> rows = FetchRows(table);
        EXPECT_TRUE(RowsFrom(rows, Transport::Udp, receiverPort).empty()); // bound, not connected
        const std::vector<TcpRow> connected = RowsFrom(rows, Transport::Udp, clientPort);
        ASSERT_EQ(connected.size(), 1u);
        EXPECT_EQ(connected[0].pid, self);
        ASSERT_EQ(table.DeleteConnection(connected[0].endpoints), DeleteOutcome::Deleted);
        EXPECT_EQ(IoError(client, true), EDESTADDRREQ); // its remote end is gone
        const int sender = Keep(test::Connect(receiverPort, nullptr, via, SOCK_DGRAM));
        ASSERT_EQ(IoError(sender, true), 0);
        EXPECT_EQ(IoError(receiver), 0);
    }
}

TEST_F(TcpTableIntegrationTest,
       TheCountersStandStillWhileDataFlowsButMoveWhenAConnectionIsReplacedInNamespace)
{
    linux_os::LinuxTcpTable table;
    int client = test::Connect(port);
    int server = test::Accept(listener);
    const std::optional<uint64_t> before = table.CountersStamp();
    ASSERT_TRUE(before.has_value());
    const std::size_t rows = FetchRows(table).size();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(IoError(client, true) == 0 && IoError(server) == 0);
    EXPECT_EQ(table.CountersStamp(), before);
    // Closed with a reset, so that no time-wait row stays behind, and replaced: the same number of rows.
    const linger abort{1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(client);
    ::close(server);
    client = Keep(test::Connect(port));
    server = Keep(test::Accept(listener));
    EXPECT_EQ(FetchRows(table).size(), rows);
    // Every count of sockets in use is as it was: only the counters read every few times tell.
    bool moved = false;
    for (int i = 0; i < linux_os::SocketCounters::kAllEvery && !moved; ++i)
        moved = table.CountersStamp() != before;
    EXPECT_TRUE(moved);
}

TEST_F(TcpTableIntegrationTest, AnUnprivilegedUserSeesNoForeignOwnersAndCannotDeleteInNamespace)
{
    uint16_t clientPort = 0;
    const int client = Keep(test::Connect(port, &clientPort));
    const int server = Keep(test::Accept(listener));
    const pid_t child = ::fork();
    if (child == 0) {
        // As "nobody": no CAP_NET_ADMIN, and root's descriptors cannot be read.
        fds.clear();
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(10);
        linux_os::LinuxTcpTable table;
        const TcpFetch fetch = table.Fetch();
        if (fetch.result != 0 || fetch.snapshot.RowCount() != 4)
            ::_exit(11);
        uint32_t owners = 0;
        for (const TcpRow& row : fetch.snapshot.Rows())
            owners |= row.pid;
        const std::vector<TcpRow> clientSide = RowsFrom(fetch.snapshot.Rows(), Transport::Tcp, clientPort);
        ::_exit(owners != 0 || clientSide.size() != 1                                            ? 12
                : table.DeleteConnection(clientSide[0].endpoints) == DeleteOutcome::NotPermitted ? 0
                                                                                                 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "exit code " << WEXITSTATUS(status)
                         << ": 10 setuid, 11 fetch, 12 owner seen or no row, 13 deleted";
    EXPECT_EQ(::send(client, "x", 1, 0), 1); // the connection survived
    EXPECT_EQ(IoError(server), 0);
}

} // namespace
} // namespace qb
