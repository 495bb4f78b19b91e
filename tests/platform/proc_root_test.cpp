// The /proc readers against a made-up /proc tree in a temporary folder.
#include "platform/linux/process_source_linux.h"
#include "platform/linux/socket_owner_map.h"
#include "platform/linux/thread_control_linux.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace qb::linux_os {
namespace {

namespace fs = std::filesystem;

class ProcRootTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string root;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString();
    }
    void Fd(uint32_t pid, int fd, const std::string& target)
    {
        const fs::path folder = fs::path(root) / std::to_string(pid) / "fd";
        fs::create_directories(folder);
        fs::create_symlink(target, folder / std::to_string(fd));
    }
    void RemoveProcess(uint32_t pid) { fs::remove_all(fs::path(root) / std::to_string(pid)); }
};

TEST_F(ProcRootTest, SocketOwnersAreFoundOnceAndThenServedFromTheCache)
{
    Fd(10, 0, "/dev/null");
    Fd(10, 3, "socket:[1001]");
    Fd(20, 4, "socket:[2002]");
    Fd(20, 5, "pipe:[3003]");
    SocketOwnerMap owners(root);
    EXPECT_EQ(owners.Resolve({1001, 2002, 0, 3003}), (std::vector<uint32_t>{10, 20, 0, 0}));
    EXPECT_EQ(owners.ScanCount(), 1);
    EXPECT_EQ(owners.Resolve({2002, 1001}), (std::vector<uint32_t>{20, 10}));
    EXPECT_EQ(owners.ScanCount(), 1);
}

TEST_F(ProcRootTest, AnUnownedInodeIsAskedAgainOnlyAfterTheRetryTime)
{
    Fd(10, 3, "socket:[1001]");
    SocketOwnerMap owners(root);
    const auto start = SocketOwnerMap::Clock::now();
    EXPECT_EQ(owners.Resolve({1001, 4004}, start), (std::vector<uint32_t>{10, 0}));
    Fd(30, 7, "socket:[4004]");
    EXPECT_EQ(owners.Resolve({1001, 4004}, start + std::chrono::seconds(1)), (std::vector<uint32_t>{10, 0}));
    EXPECT_EQ(owners.ScanCount(), 1);
    EXPECT_EQ(owners.Resolve({1001, 4004}, start + SocketOwnerMap::kRetryUnowned),
              (std::vector<uint32_t>{10, 30}));
    EXPECT_EQ(owners.ScanCount(), 2);
}

TEST_F(ProcRootTest, ASocketWhoseOwnerExitedIsFoundWithItsNextHolder)
{
    Fd(10, 3, "socket:[1001]");
    Fd(11, 3, "socket:[1001]"); // inherited by a child
    SocketOwnerMap owners(root);
    const uint32_t first = owners.Resolve({1001})[0];
    ASSERT_TRUE(first == 10 || first == 11) << first;
    RemoveProcess(first);
    EXPECT_EQ(owners.Resolve({1001}), std::vector<uint32_t>{first == 10 ? 11u : 10u});
}

TEST_F(ProcRootTest, ExecutablePathsLoseTheDeletedMarkAndUnreadableOnesAreNone)
{
    fs::create_directories(fs::path(root) / "42");
    fs::create_symlink("/usr/bin/app (deleted)", fs::path(root) / "42" / "exe");
    fs::create_directories(fs::path(root) / "43"); // a kernel thread: no exe link
    fs::create_directories(fs::path(root) / "self");
    LinuxProcessSource processes(root);
    auto pids = processes.ListProcesses();
    ASSERT_TRUE(pids.has_value());
    std::sort(pids->begin(), pids->end());
    EXPECT_EQ(*pids, (std::vector<uint32_t>{42, 43}));
    EXPECT_EQ(processes.ExecutablePath(42), "/usr/bin/app");
    EXPECT_EQ(processes.ExecutablePath(43), std::nullopt);
    EXPECT_EQ(processes.ExecutablePath(44), std::nullopt);
    EXPECT_EQ(StripDeletedSuffix(" (deleted)"), " (deleted)");
}

TEST_F(ProcRootTest, StartTimeAndThreadGroupAreReadEvenFromOddCommandNames)
{
    fs::create_directories(fs::path(root) / "77");
    std::ofstream(fs::path(root) / "77" / "stat")
        << "77 (a) (b c) S 1 77 77 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 3 0 987654 1000 10\n";
    std::ofstream(fs::path(root) / "77" / "status") << "Name:\tx\nTgid:\t70\nPid:\t77\n";
    EXPECT_EQ(ProcessStartTime(root, 77), 987654u);
    EXPECT_EQ(ThreadGroupOf(root, 77), 70u);
    EXPECT_EQ(ProcessStartTime(root, 78), std::nullopt);
    EXPECT_EQ(ThreadGroupOf(root, 78), std::nullopt);
}

} // namespace
} // namespace qb::linux_os
