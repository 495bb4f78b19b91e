#include "base/tcp_table.h"
#include "integration/loopback.h"
#include "monitor/owner_resolver.h"
#include "platform/linux/process_source_linux.h"
#include "platform/linux/tcp_table_linux.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace qb {
namespace {

using test::ChildProcess;

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

// A child that opens `count` connections to `port`, tells the parent through a pipe, and waits.
std::unique_ptr<ChildProcess> HoldConnections(uint16_t port, int count)
{
    int ready[2];
    test::Check(::pipe(ready) == 0, "pipe");
    auto child = std::make_unique<ChildProcess>([&] {
        for (int i = 0; i < count; ++i)
            test::Connect(port);
        const char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        for (;;)
            ::pause();
    });
    ::close(ready[1]);
    char byte = 0;
    test::Check(::read(ready[0], &byte, 1) == 1, "child ready");
    ::close(ready[0]);
    return child;
}

TEST(TcpTableIntegrationTest, LoopbackConnectionsHeldByChildrenAppearWithOwnersInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0;
    const int listener = test::Listen(port);
    std::vector<std::unique_ptr<ChildProcess>> children;
    std::vector<int> accepted;
    for (int c = 0; c < 3; ++c) {
        children.push_back(HoldConnections(port, 2));
        for (int i = 0; i < 2; ++i)
            accepted.push_back(test::Accept(listener));
    }
    linux_os::LinuxTcpTable table;
    const std::vector<TcpRow> rows = FetchRows(table);
    ASSERT_EQ(rows.size(), 1u + 6u + 6u);
    const uint32_t self = static_cast<uint32_t>(::getpid());
    int listening = 0, serverSides = 0;
    std::map<uint32_t, int> clientSidesOf;
    for (const TcpRow& row : rows) {
        EXPECT_EQ(row.localAddr, kLoopback);
        if (row.state == 2) {
            ++listening;
            EXPECT_EQ(row.localPort, test::StoredPort(port));
            EXPECT_EQ(row.remoteAddr, 0u);
            EXPECT_EQ(row.pid, self);
        } else if (row.localPort == test::StoredPort(port)) {
            ++serverSides;
            EXPECT_EQ(row.state, 5u);
            EXPECT_EQ(row.pid, self);
        } else {
            EXPECT_EQ(row.state, 5u);
            EXPECT_EQ(row.remotePort, test::StoredPort(port));
            ++clientSidesOf[row.pid];
        }
    }
    EXPECT_EQ(listening, 1);
    EXPECT_EQ(serverSides, 6);
    for (const auto& child : children)
        EXPECT_EQ(clientSidesOf[static_cast<uint32_t>(child->Pid())], 2) << child->Pid();

    // The owners are cached: a second fetch of the same sockets does not scan /proc again.
    const int scans = table.OwnerScans();
    FetchRows(table);
    EXPECT_EQ(table.OwnerScans(), scans);
    for (const int fd : accepted)
        ::close(fd);
    ::close(listener);
}

TEST(TcpTableIntegrationTest, DeletingAConnectionResetsBothEndsWhileTheListenerKeepsAcceptingInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0, clientPort = 0;
    const int listener = test::Listen(port);
    const int client = test::Connect(port, &clientPort);
    const int server = test::Accept(listener);

    linux_os::LinuxTcpTable table;
    const TcpEndpoints clientSide{kLoopback, test::StoredPort(clientPort), kLoopback, test::StoredPort(port)};
    ASSERT_TRUE(table.DeleteConnection(clientSide));

    char byte = 0;
    EXPECT_EQ(::recv(client, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNABORTED);
    EXPECT_EQ(::recv(server, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNRESET);
    for (const TcpRow& row : FetchRows(table))
        EXPECT_NE(row.localPort, test::StoredPort(clientPort)) << "the deleted connection is still listed";

    const int again = test::Connect(port);
    const int acceptedAgain = test::Accept(listener);
    EXPECT_EQ(::send(again, "x", 1, 0), 1);
    EXPECT_EQ(::recv(acceptedAgain, &byte, 1, 0), 1);
    for (const int fd : {client, server, again, acceptedAgain, listener})
        ::close(fd);
}

TEST(TcpTableIntegrationTest, AStaleFourTupleOrAListenerDeletesNothingInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0, oldClientPort = 0;
    const int listener = test::Listen(port);
    {
        const int client = test::Connect(port, &oldClientPort);
        const int server = test::Accept(listener);
        ::close(client);
        ::close(server);
    }
    linux_os::LinuxTcpTable table;
    // The server side of the closed connection: a bare 4-tuple like this one would find the listener.
    EXPECT_FALSE(table.DeleteConnection(
        TcpEndpoints{kLoopback, test::StoredPort(port), kLoopback, test::StoredPort(oldClientPort)}));
    EXPECT_FALSE(table.DeleteConnection(TcpEndpoints{kLoopback, test::StoredPort(port), 0, 0}));
    const int client = test::Connect(port);
    const int server = test::Accept(listener);
    EXPECT_EQ(::send(client, "x", 1, 0), 1);
    for (const int fd : {client, server, listener})
        ::close(fd);
}

TEST(TcpTableIntegrationTest, AnUnprivilegedUserSeesNoForeignOwnersAndCannotDeleteInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0, clientPort = 0;
    const int listener = test::Listen(port);
    const int client = test::Connect(port, &clientPort);
    const int server = test::Accept(listener);
    const pid_t child = ::fork();
    if (child == 0) {
        // As "nobody": no CAP_NET_ADMIN, and root's descriptors cannot be read.
        for (const int fd : {client, server, listener})
            ::close(fd);
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(10);
        linux_os::LinuxTcpTable table;
        const TcpFetch fetch = table.Fetch();
        if (fetch.result != 0 || fetch.snapshot.AvailableRows() != 3)
            ::_exit(11);
        for (uint32_t i = 0; i < 3; ++i) {
            if (fetch.snapshot.Row(i).pid != 0)
                ::_exit(12);
        }
        const bool deleted = table.DeleteConnection(
            TcpEndpoints{kLoopback, test::StoredPort(clientPort), kLoopback, test::StoredPort(port)});
        ::_exit(deleted ? 13 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 setuid, 11 fetch, 12 owner seen, 13 deleted";
    char byte = 0;
    EXPECT_EQ(::send(client, "x", 1, 0), 1); // the connection survived
    EXPECT_EQ(::recv(server, &byte, 1, 0), 1);
    for (const int fd : {client, server, listener})
        ::close(fd);
}

TEST(TcpTableIntegrationTest, IPv4MappedConnectionsAreIPv4RowsAndCanBeDeletedInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0, clientPort = 0;
    const int listener = test::Listen(port);
    const int client = test::ConnectMapped(port, &clientPort);
    const int server = test::Accept(listener);
    linux_os::LinuxTcpTable table;
    int mapped = 0;
    for (const TcpRow& row : FetchRows(table)) {
        if (row.localPort == test::StoredPort(clientPort)) {
            ++mapped;
            EXPECT_EQ(row.localAddr, kLoopback);
            EXPECT_EQ(row.remoteAddr, kLoopback);
            EXPECT_EQ(row.state, 5u);
            EXPECT_EQ(row.pid, static_cast<uint32_t>(::getpid()));
        }
    }
    EXPECT_EQ(mapped, 1);
    EXPECT_TRUE(table.DeleteConnection(
        TcpEndpoints{kLoopback, test::StoredPort(clientPort), kLoopback, test::StoredPort(port)}));
    char byte = 0;
    EXPECT_EQ(::recv(server, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNRESET);
    for (const int fd : {client, server, listener})
        ::close(fd);
}

TEST(TcpTableIntegrationTest, OwnerResolutionNamesLiveOwnersAndSkipsAVanishedPidInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0;
    const int listener = test::Listen(port);
    auto leaving = HoldConnections(port, 1);
    const int acceptedLeaving = test::Accept(listener);
    auto staying = HoldConnections(port, 1);
    const int acceptedStaying = test::Accept(listener);

    linux_os::LinuxTcpTable source;
    linux_os::LinuxProcessSource processes;
    TcpTable table(source);
    OwnerResolver resolver(table, processes);
    std::vector<std::pair<std::string, int16_t>> checked;
    resolver.CheckPrograms = [&](const std::string& path, int16_t index) {
        checked.emplace_back(path, index);
        return false;
    };
    ASSERT_TRUE(table.FetchTcpTable());
    const pid_t leavingPid = leaving->Pid();
    leaving->Kill(); // gone between the fetch and the resolution
    table.ConvertTcpTable();
    resolver.ResolveOwners();

    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self);
    ASSERT_GT(length, 0);
    int ofLeaving = 0;
    for (int32_t j = 0; j <= table.MonitoredCount(); ++j) {
        const ConnectionRecord& slot = table.Connections[static_cast<std::size_t>(j)];
        if (slot.PID == static_cast<uint32_t>(leavingPid)) {
            ++ofLeaving;
            EXPECT_EQ(slot.Path, "");
        } else if (slot.State != "2") {
            EXPECT_EQ(slot.Path, std::string(self, static_cast<std::size_t>(length))) << j;
        }
    }
    EXPECT_EQ(ofLeaving, 1);
    EXPECT_EQ(checked.size(), 3u); // the staying client and both server sides, once each
    for (const int fd : {acceptedLeaving, acceptedStaying, listener})
        ::close(fd);
}

} // namespace
} // namespace qb
