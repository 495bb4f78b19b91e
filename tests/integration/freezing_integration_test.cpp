// Freezing real processes with SIGSTOP and SIGCONT, and the record that lets a new run release what a
// crashed one left frozen.
#include "control/process_freezer.h"
#include "platform/linux/thread_control_linux.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace qb {
namespace {

[[noreturn]] void SleepInShortSteps()
{
    for (;;)
        ::usleep(10000);
}

// A child with a second thread, both sleeping in short steps so that the child is 'S' while it runs.
std::unique_ptr<test::ChildProcess> StartSleeper()
{
    return std::make_unique<test::ChildProcess>([] {
        std::thread(SleepInShortSteps).detach();
        SleepInShortSteps();
    });
}

TEST(FreezingIntegrationTest, FreezesAreCountedAndDestroyingTheControlReleasesWhatItFrozeInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    auto child = StartSleeper();
    const auto pid = static_cast<uint32_t>(child->Pid());
    {
        linux_os::LinuxThreadControl threads;
        ProcessFreezer freezer(threads);
        // Wait for the second thread, so that the count is kept for both.
        ASSERT_TRUE(test::PollUntil(
            [&] { return threads.ListThreads(pid).value_or(std::vector<ThreadEntry>{}).size() == 2; },
            10000));
        freezer.FreezeProcess(pid);
        EXPECT_TRUE(child->WaitForState('T', 10000));
        freezer.FreezeProcess(pid);
        freezer.ReleaseProcess(pid);
        EXPECT_FALSE(child->WaitForState('S', 200)) << "continued";
        freezer.ReleaseProcess(pid);
        EXPECT_TRUE(child->WaitForState('S', 10000));
        freezer.ReleaseProcess(pid); // one release too many changes nothing
        freezer.FreezeProcess(pid);
        EXPECT_TRUE(child->WaitForState('T', 10000));
        freezer.FreezeProcess(pid);
    }
    EXPECT_TRUE(child->WaitForState('S', 10000));
}

TEST(FreezingIntegrationTest, OwnProcessAndEndedProcessesAreLeftAloneInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    linux_os::LinuxThreadControl threads;
    ProcessFreezer freezer(threads);
    freezer.FreezeProcess(static_cast<uint32_t>(::getpid()));
    EXPECT_TRUE(threads.FrozenProcesses().empty());

    auto child = StartSleeper();
    const auto pid = static_cast<uint32_t>(child->Pid());
    child->Kill();
    freezer.FreezeProcess(pid);
    freezer.ReleaseProcess(pid);
    EXPECT_TRUE(threads.FrozenProcesses().empty());
}

TEST(FreezingIntegrationTest, ANewRunReleasesWhatACrashedRunLeftFrozenButNotAReusedPidInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string stateFile = folder.filePath("frozen").toStdString();
    auto frozen = StartSleeper();
    auto other = StartSleeper();
    ASSERT_TRUE(other->WaitForState('S', 10000));

    // The crashed run: it stops a child and never gets to release it before the next run starts.
    linux_os::LinuxThreadControl crashed("/proc", stateFile);
    ProcessFreezer(crashed).FreezeProcess(static_cast<uint32_t>(frozen->Pid()));
    ASSERT_TRUE(frozen->WaitForState('T', 10000));
    // A record whose start time is not that of the process now holding its pid, which someone else stopped.
    ::kill(other->Pid(), SIGSTOP);
    ASSERT_TRUE(other->WaitForState('T', 10000));
    const auto startTime = linux_os::ProcessStartTime("/proc", static_cast<uint32_t>(other->Pid()));
    ASSERT_TRUE(startTime.has_value());
    std::ofstream(stateFile, std::ios::app) << other->Pid() << ' ' << *startTime + 1 << '\n';

    linux_os::LinuxThreadControl next("/proc", stateFile);
    EXPECT_EQ(next.ReleaseStale(), 1);
    EXPECT_TRUE(frozen->WaitForState('S', 10000));
    EXPECT_FALSE(other->WaitForState('S', 200)) << "continued";
    EXPECT_EQ(next.ReleaseStale(), 0); // the record is emptied once used
}

} // namespace
} // namespace qb
