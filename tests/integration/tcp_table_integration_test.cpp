// The sock_diag table against real loopback connections in a private namespace: rows and owners, and
// SOCK_DESTROY of one connection with its listener untouched.
#include "base/tcp_table.h"
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
#include <tuple>

namespace qb {
namespace {

using test::StoredPort;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

std::vector<TcpRow> FetchRows(linux_os::LinuxTcpTable& table)
{
    TcpFetch fetch = table.Fetch();
    EXPECT_EQ(fetch.result, 0);
    std::vector<TcpRow> rows;
    for (uint32_t i = 0; i < fetch.snapshot.AvailableRows(); ++i)
        rows.push_back(fetch.snapshot.Row(i));
    return rows;
}

// A child holding `count` connections to `port`; the caller accepts them.
std::unique_ptr<test::ChildProcess> HoldConnections(uint16_t port, int count)
{
    return std::make_unique<test::ChildProcess>([=] {
        for (int i = 0; i < count; ++i)
            test::Connect(port);
        for (;;)
            ::pause();
    });
}

// The error a one-byte read of `fd` ends with; 0 when it reads a byte.
int ReadError(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, 0) < 0 ? errno : 0;
}

class TcpTableIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QB_REQUIRE_FRESH_NAMESPACE();
        listener = Keep(test::Listen(port));
    }
    int Keep(int fd) { return fds.emplace_back(fd).Get(); }

    uint16_t port = 0;
    int listener = -1;
    std::vector<UniqueFd> fds;
    const uint32_t self = static_cast<uint32_t>(::getpid());
};

TEST_F(TcpTableIntegrationTest, LoopbackConnectionsHeldByChildrenAppearWithOwnersInNamespace)
{
    std::vector<std::unique_ptr<test::ChildProcess>> children;
    // Rows by state, whether on the listening port, remote address and owner.
    std::map<std::tuple<uint32_t, bool, uint32_t, uint32_t>, int> expected = {
        {{2, true, 0, self}, 1}, {{5, true, kLoopback, self}, 6}};
    for (int c = 0; c < 3; ++c) {
        children.push_back(HoldConnections(port, 2));
        Keep(test::Accept(listener));
        Keep(test::Accept(listener));
        expected[{5, false, kLoopback, static_cast<uint32_t>(children.back()->Pid())}] = 2;
    }
    linux_os::LinuxTcpTable table;
    std::map<std::tuple<uint32_t, bool, uint32_t, uint32_t>, int> found;
    for (const TcpRow& row : FetchRows(table)) {
        EXPECT_EQ(row.localAddr, kLoopback);
        EXPECT_TRUE(row.localPort == StoredPort(port) || row.remotePort == StoredPort(port));
        ++found[{row.state, row.localPort == StoredPort(port), row.remoteAddr, row.pid}];
    }
    EXPECT_EQ(found, expected);

    // The owners are cached: a second fetch of the same sockets does not scan /proc again.
    const int scans = table.OwnerScans();
    FetchRows(table);
    EXPECT_EQ(table.OwnerScans(), scans);
}

TEST_F(TcpTableIntegrationTest,
       DeletingAConnectionResetsBothEndsButAStaleFourTupleOrTheListenerDeletesNothingInNamespace)
{
    uint16_t staleClientPort = 0;
    const int stale = test::Connect(port, &staleClientPort);
    const int staleServer = test::Accept(listener);
    ::close(stale); // first, so that the server side does not linger
    ::close(staleServer);
    linux_os::LinuxTcpTable table;
    for (const bool mapped : {false, true}) {
        uint16_t clientPort = 0;
        const int client = Keep(test::Connect(port, &clientPort, mapped));
        const int server = Keep(test::Accept(listener));
        // An IPv4-mapped connection is an IPv4 row like any other.
        const TcpRow row{5, kLoopback, StoredPort(clientPort), kLoopback, StoredPort(port), self};
        EXPECT_EQ(std::ranges::count(FetchRows(table), row), 1) << mapped;
        ASSERT_EQ(table.DeleteConnection({kLoopback, StoredPort(clientPort), kLoopback, StoredPort(port)}),
                  DeleteOutcome::Deleted);
        EXPECT_EQ(ReadError(client), ECONNABORTED) << mapped;
        EXPECT_EQ(ReadError(server), ECONNRESET) << mapped;
        EXPECT_EQ(std::ranges::count(FetchRows(table), StoredPort(clientPort), &TcpRow::localPort), 0)
            << mapped;
    }
    // The server side of the closed connection: a bare 4-tuple like this one would find the listener.
    EXPECT_EQ(table.DeleteConnection({kLoopback, StoredPort(port), kLoopback, StoredPort(staleClientPort)}),
              DeleteOutcome::NoSuchConnection);
    EXPECT_EQ(table.DeleteConnection({kLoopback, StoredPort(port), 0, 0}), DeleteOutcome::NoSuchConnection);
    EXPECT_TRUE(test::CarriesData(listener, port));
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
        if (fetch.result != 0 || fetch.snapshot.AvailableRows() != 3)
            ::_exit(11);
        uint32_t owners = 0;
        for (uint32_t i = 0; i < 3; ++i)
            owners |= fetch.snapshot.Row(i).pid;
        const TcpEndpoints clientSide{kLoopback, StoredPort(clientPort), kLoopback, StoredPort(port)};
        ::_exit(owners != 0                                                         ? 12
                : table.DeleteConnection(clientSide) == DeleteOutcome::NotPermitted ? 0
                                                                                    : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "exit code " << WEXITSTATUS(status)
                         << ": 10 setuid, 11 fetch, 12 owner seen, 13 deleted";
    EXPECT_EQ(::send(client, "x", 1, 0), 1); // the connection survived
    EXPECT_EQ(ReadError(server), 0);
}

TEST_F(TcpTableIntegrationTest, OwnerResolutionNamesLiveOwnersAndSkipsAVanishedPidInNamespace)
{
    auto leaving = HoldConnections(port, 1);
    Keep(test::Accept(listener));
    auto staying = HoldConnections(port, 1);
    Keep(test::Accept(listener));
    linux_os::LinuxTcpTable source;
    linux_os::LinuxProcessSource processes;
    TcpTable table(source);
    OwnerResolver resolver(table, processes);
    int checked = 0;
    resolver.CheckPrograms = [&](const std::string&, int16_t) {
        ++checked;
        return false;
    };
    ASSERT_TRUE(table.FetchTcpTable());
    const auto leavingPid = static_cast<uint32_t>(leaving->Pid());
    leaving->Kill(); // gone between the fetch and the resolution
    table.ConvertTcpTable();
    resolver.ResolveOwners();

    const std::string ownPath = std::filesystem::canonical("/proc/self/exe");
    int ofLeaving = 0;
    for (int32_t j = 0; j <= table.MonitoredCount(); ++j) {
        const ConnectionRecord& slot = table.Connections[static_cast<std::size_t>(j)];
        ofLeaving += slot.PID == leavingPid;
        if (slot.State != "2") {
            EXPECT_EQ(slot.Path, slot.PID == leavingPid ? "" : ownPath) << j;
        }
    }
    EXPECT_EQ(ofLeaving, 1);
    EXPECT_EQ(checked, 3); // the staying client and both server sides, once each
}

} // namespace
} // namespace qb
