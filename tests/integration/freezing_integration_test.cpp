#include "control/process_freezer.h"
#include "platform/linux/thread_control_linux.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <pthread.h>
#include <unistd.h>

namespace qb {
namespace {

using test::ChildProcess;

// A child with a second thread, both sleeping in short steps so that the child is 'S' while it runs.
std::unique_ptr<ChildProcess> StartSleeper()
{
    return std::make_unique<ChildProcess>([] {
        pthread_t thread;
        pthread_create(
            &thread, nullptr,
            [](void*) -> void* {
                for (;;)
                    ::usleep(10000);
            },
            nullptr);
        for (;;)
            ::usleep(10000);
    });
}

bool Stopped(const ChildProcess& child)
{
    return child.WaitForState('T', 10000);
}
bool Running(const ChildProcess& child)
{
    return child.WaitForState('S', 10000);
}

TEST(FreezingIntegrationTest, FreezingAChildStopsItAndTwoFreezesNeedTwoReleasesInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    auto child = StartSleeper();
    linux_os::LinuxThreadControl threads;
    ProcessFreezer freezer(threads);
    const auto pid = static_cast<uint32_t>(child->Pid());
    // Wait for the second thread, so that the count is kept for both.
    for (int i = 0; i < 200 && threads.ListThreads(pid).value_or(std::vector<ThreadEntry>{}).size() < 2; ++i)
        ::usleep(5000);
    ASSERT_EQ(threads.ListThreads(pid)->size(), 2u);

    freezer.FreezeProcess(pid);
    EXPECT_TRUE(Stopped(*child));
    freezer.FreezeProcess(pid);
    freezer.ReleaseProcess(pid);
    ::usleep(50000);
    EXPECT_EQ(child->State(), 'T');
    freezer.ReleaseProcess(pid);
    EXPECT_TRUE(Running(*child));
    freezer.ReleaseProcess(pid); // one release too many changes nothing
    freezer.FreezeProcess(pid);
    EXPECT_TRUE(Stopped(*child));
    freezer.ReleaseProcess(pid);
    EXPECT_TRUE(Running(*child));
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

TEST(FreezingIntegrationTest, ANewRunReleasesWhatACrashedRunLeftFrozenInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string stateFile = folder.filePath("frozen").toStdString();
    auto child = StartSleeper();
    const auto pid = static_cast<uint32_t>(child->Pid());

    // The crashed run: it stops the child and never gets to release it before the next run starts.
    linux_os::LinuxThreadControl crashed("/proc", stateFile);
    ProcessFreezer(crashed).FreezeProcess(pid);
    ASSERT_TRUE(Stopped(*child));

    linux_os::LinuxThreadControl next("/proc", stateFile);
    EXPECT_EQ(next.ReleaseStale(), 1);
    EXPECT_TRUE(Running(*child));
    EXPECT_EQ(next.ReleaseStale(), 0); // the record is emptied once used
}

TEST(FreezingIntegrationTest, ARecordOfAReusedPidIsNotSignalledInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    QTemporaryDir folder;
    const std::string stateFile = folder.filePath("frozen").toStdString();
    auto child = StartSleeper();
    ASSERT_TRUE(child->WaitForState('S', 10000));
    ::kill(child->Pid(), SIGSTOP); // stopped by someone else: not ours to continue
    ASSERT_TRUE(Stopped(*child));
    const auto startTime = linux_os::ProcessStartTime("/proc", static_cast<uint32_t>(child->Pid()));
    ASSERT_TRUE(startTime.has_value());
    {
        std::FILE* out = std::fopen(stateFile.c_str(), "w");
        std::fprintf(out, "%d %llu\n", child->Pid(), static_cast<unsigned long long>(*startTime + 1));
        std::fclose(out);
    }
    linux_os::LinuxThreadControl next("/proc", stateFile);
    EXPECT_EQ(next.ReleaseStale(), 0);
    ::usleep(50000);
    EXPECT_EQ(child->State(), 'T');
}

TEST(FreezingIntegrationTest, DestroyingTheControlReleasesEverythingItFroze)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    auto child = StartSleeper();
    {
        linux_os::LinuxThreadControl threads;
        ProcessFreezer freezer(threads);
        freezer.FreezeProcess(static_cast<uint32_t>(child->Pid()));
        freezer.FreezeProcess(static_cast<uint32_t>(child->Pid()));
        ASSERT_TRUE(Stopped(*child));
    }
    EXPECT_TRUE(Running(*child));
}

} // namespace
} // namespace qb
