#include "fakes/fake_process_source.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/owner_resolver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qb {
namespace {

TcpRow Row(uint32_t state, uint32_t pid, uint32_t localPort)
{
    return TcpRow{state, 0x0100007f, localPort, state == 2 ? 0u : 0x0200007fu, state == 2 ? 0u : 0x5000u,
                  pid};
}

struct Call {
    std::string path;
    int16_t index;
    bool operator==(const Call&) const = default;
};

class OwnerResolverTest : public ::testing::Test {
protected:
    test::FakeTcpTable source;
    test::FakeProcessSource processes;
    TcpTable table{source};
    OwnerResolver resolver{table, processes};
    std::vector<Call> calls;
    std::vector<int16_t> deleteAnswers; // slots the decision deletes

    void SetUp() override
    {
        resolver.CheckPrograms = [this](const std::string& path, int16_t index) {
            calls.push_back({path, index});
            return std::find(deleteAnswers.begin(), deleteAnswers.end(), index) != deleteAnswers.end();
        };
    }
    void Load(std::vector<TcpRow> rows)
    {
        source.rows = std::move(rows);
        (void)table.FetchTcpTable();
        table.ConvertTcpTable();
    }
};

TEST_F(OwnerResolverTest, EachConnectionIsCheckedOnceInListingOrderAndOnlyTheOneDecidedIsDeleted)
{
    processes.Add(50, "/opt/b");
    processes.Add(30, "/opt/a");
    Load({Row(5, 30, 0x1000), Row(5, 50, 0x1100), Row(2, 30, 0x1600), Row(5, 30, 0x1200)});
    deleteAnswers = {0};
    resolver.ResolveOwners();
    // Processes in the listing's order, each one's slots ascending, the last row included; listening
    // slots are neither named nor checked.
    EXPECT_EQ(calls, (std::vector<Call>{{"/opt/b", 1}, {"/opt/a", 0}, {"/opt/a", 3}}));
    EXPECT_EQ(table.Connections[2].Path, "");
    EXPECT_EQ(table.Connections[3].Path, "/opt/a");
    ASSERT_EQ(source.deleted.size(), 1u);
    EXPECT_EQ(source.deleted[0].localPort, 0x1000u);
}

TEST_F(OwnerResolverTest, ConnectionsOfProcessesThatCannotBeReadKeepAnEmptyPath)
{
    processes.Add(0, std::nullopt);   // no owner visible
    processes.Add(77, std::nullopt);  // another user's process, or one that ended
    processes.Add(78, std::string()); // an empty answer counts as none
    Load({Row(5, 0, 0x1000), Row(5, 77, 0x1100), Row(5, 78, 0x1200), Row(5, 79, 0x1300)});
    resolver.ResolveOwners();
    EXPECT_TRUE(calls.empty());
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(table.Connections[j].Path, "") << j;

    processes.Add(40, "/usr/bin/curl");
    processes.failList = true;
    Load({Row(5, 40, 0x1000)});
    resolver.ResolveOwners();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(table.Connections[0].Path, "");
}

TEST_F(OwnerResolverTest, OnlyProcessesOwningAConnectionAreLookedUp)
{
    for (uint32_t pid = 100; pid < 400; ++pid)
        processes.Add(pid, "/usr/bin/idle");
    processes.Add(40, "/usr/bin/curl");
    Load({Row(5, 40, 0x1000)});
    resolver.ResolveOwners();
    EXPECT_EQ(processes.pathLookups, 1);
}

TEST_F(OwnerResolverTest, AnUnsetDecisionKeepsEveryConnection)
{
    resolver.CheckPrograms = nullptr;
    processes.Add(40, "/usr/bin/curl");
    Load({Row(5, 40, 0x1000)});
    resolver.ResolveOwners();
    EXPECT_EQ(table.Connections[0].Path, "/usr/bin/curl");
    EXPECT_TRUE(source.deleted.empty());
}

} // namespace
} // namespace qb
