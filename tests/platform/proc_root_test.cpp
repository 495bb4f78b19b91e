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
    const QTemporaryDir dir;
    const std::string root = dir.path().toStdString();

    void Fd(uint32_t pid, int fd, const std::string& target)
    {
        const fs::path folder = fs::path(root) / std::to_string(pid) / "fd";
        fs::create_directories(folder);
        fs::create_symlink(target, folder / std::to_string(fd));
        Started(pid, 500 + pid);
    }
    void Started(uint32_t pid, uint64_t ticks)
    {
        std::ofstream(fs::path(root) / std::to_string(pid) / "stat")
            << pid << " (p) S 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 " << ticks << " 1\n"; // field 22
    }
};

TEST_F(ProcRootTest, CachedOwnersServeUntilTheyExitOrTheirPidIsReusedAndUnownedInodesUntilTheyLeaveTheTable)
{
    Fd(10, 0, "/dev/null");
    Fd(10, 3, "socket:[1001]");
    Fd(20, 4, "socket:[2002]");
    Fd(21, 4, "socket:[2002]"); // inherited by a child
    Fd(20, 5, "pipe:[3003]");
    SocketOwnerMap owners(root);
    const std::vector<uint32_t> found = owners.Resolve({1001, 2002, 0, 3003, 4004});
    const uint32_t first = found[1];
    ASSERT_TRUE(first == 20 || first == 21) << first;
    EXPECT_EQ(found, (std::vector<uint32_t>{10, first, 0, 0, 0}));
    Fd(30, 7, "socket:[4004]");
    EXPECT_EQ(owners.Resolve({1001, 2002, 4004}), (std::vector<uint32_t>{10, first, 0}));
    EXPECT_EQ(owners.ScanCount(), 1);
    owners.Resolve({1001, 2002});
    EXPECT_EQ(owners.Resolve({1001, 2002, 4004}), (std::vector<uint32_t>{10, first, 30}));
    EXPECT_EQ(owners.ScanCount(), 2);
    fs::remove_all(fs::path(root) / std::to_string(first));
    EXPECT_EQ(owners.Resolve({2002}), std::vector<uint32_t>{first == 20 ? 21u : 20u});
    Started(10, 9999); // another process under pid 10: its owners are looked up again
    EXPECT_EQ(owners.Resolve({1001}), std::vector<uint32_t>{10});
    EXPECT_EQ(owners.ScanCount(), 4);
    // A process folder that cannot be opened settles nothing: the socket is searched for again.
    SocketOwnerMap late(root + "/later");
    EXPECT_EQ(late.Resolve({1001}), std::vector<uint32_t>{0});
    fs::create_directory_symlink(root, root + "/later");
    EXPECT_EQ(late.Resolve({1001}), std::vector<uint32_t>{10});
}

TEST_F(ProcRootTest, ExecutablePathsLoseTheDeletedMarkAndStartTimesAreReadEvenFromOddCommandNames)
{
    fs::create_directories(fs::path(root) / "42");
    fs::create_symlink("/usr/bin/app (deleted)", fs::path(root) / "42" / "exe");
    fs::create_directories(fs::path(root) / "43"); // a kernel thread: no exe link
    fs::create_directories(fs::path(root) / "self");
    std::ofstream(fs::path(root) / "43" / "stat")
        << "43 (a) (b c) S 1 43 43 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 3 0 987654 1000 10\n";
    std::ofstream(fs::path(root) / "43" / "status") << "Name:\tx\nTgid:\t40\nPid:\t43\n";
    LinuxProcessSource processes(root);
    auto pids = processes.ListProcesses().value_or(std::vector<uint32_t>{});
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<uint32_t>{42, 43}));
    EXPECT_EQ(processes.ExecutablePath(42), "/usr/bin/app");
    EXPECT_EQ(processes.ExecutablePath(43), std::nullopt);
    EXPECT_EQ(processes.ExecutablePath(44), std::nullopt);
    EXPECT_EQ(StripDeletedSuffix(" (deleted)"), " (deleted)");
    EXPECT_EQ(ProcessStartTime(root, 43), 987654u);
    EXPECT_EQ(ThreadGroupOf(root, 43), 40u);
    EXPECT_EQ(ProcessStartTime(root, 44), std::nullopt);
    EXPECT_EQ(ThreadGroupOf(root, 44), std::nullopt);
}

} // namespace
} // namespace qb::linux_os
