#include "control/process_freezer.h"
#include "fakes/fake_thread_control.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

class ProcessFreezerTest : public ::testing::Test {
protected:
    test::FakeThreadControl threads;
    ProcessFreezer freezer{threads};

    void SetUp() override
    {
        threads.threadsOf[100] = {100, 101, 102};
        threads.threadsOf[200] = {200};
        threads.foreignThreads = {{900, 9}, {901, 9}};
    }
};

TEST_F(ProcessFreezerTest, FreezingSuspendsEveryThreadOfTheProcessAndNoOtherAndCountsFreezes)
{
    freezer.FreezeProcess(100);
    freezer.FreezeProcess(100);
    EXPECT_EQ(threads.suspendCount[101], 2);
    EXPECT_TRUE(threads.Running(200));
    EXPECT_EQ(threads.suspendCount[900], 0);
    freezer.ReleaseProcess(100);
    EXPECT_FALSE(threads.Running(100));
    freezer.ReleaseProcess(100);
    EXPECT_TRUE(threads.Running(100));
    EXPECT_EQ(threads.suspendCount[102], 0);
}

TEST_F(ProcessFreezerTest, AStrayReleaseDoesNotBankAResume)
{
    freezer.ReleaseProcess(200);
    freezer.FreezeProcess(200);
    EXPECT_FALSE(threads.Running(200));
}

TEST_F(ProcessFreezerTest, NeitherItsOwnProcessNorAnEndedOneIsFrozen)
{
    threads.selfPid = 200;
    freezer.FreezeProcess(200);
    freezer.FreezeProcess(4242);
    freezer.ReleaseProcess(4242);
    for (const auto& [tid, count] : threads.suspendCount)
        EXPECT_EQ(count, 0) << tid;
}

TEST_F(ProcessFreezerTest, AnEmptyListingReturnsMinusOneWithOneEmptyEntry)
{
    threads.foreignThreads.clear();
    std::vector<ThreadEntry> list = {{1, 1}, {2, 2}};
    EXPECT_EQ(freezer.SnapshotThreads(list, 4242), -1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].threadId, 0u);
    EXPECT_EQ(freezer.SnapshotThreads(list, 100), 2);
}

} // namespace
} // namespace qb
