// Holding real processes with SIGSTOP and SIGCONT, and every way out that continues them: the
// destructor, a fatal signal, exit(), SIGKILL (through the guardian) and a later run's record.
#include "integration/loopback.h"
#include "platform/linux/freeze_guardian.h"
#include "platform/linux/thread_control_linux.h"
#include "support/net_namespace.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace qb {
namespace {

using linux_os::LinuxThreadControl;

// A child sleeping in short steps, so that it is 'S' while it runs.
std::unique_ptr<test::ChildProcess> StartSleeper()
{
    return std::make_unique<test::ChildProcess>([] {
        for (;;)
            ::usleep(10000);
    });
}

ProcessKey KeyOf(const test::ChildProcess& child)
{
    const auto pid = static_cast<uint32_t>(child.Pid());
    return {pid, linux_os::ProcessStartTime("/proc", pid).value_or(0)};
}

std::string ReadAll(const std::string& path)
{
    return test::TempHome::ReadAll(QString::fromStdString(path)).toStdString();
}

class FreezingIntegrationTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    const std::string stateFile = folder.filePath("frozen").toStdString();
    std::unique_ptr<test::ChildProcess> child = StartSleeper();
    std::unique_ptr<test::ChildProcess> other = StartSleeper();
};

TEST_F(FreezingIntegrationTest, HoldsAreCountedPerProcessEndWithItAndAreReleasedByTheDestructorInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    const ProcessKey key = KeyOf(*child);
    const ProcessKey doomed = KeyOf(*other);
    {
        LinuxThreadControl threads("/proc", stateFile);
        EXPECT_FALSE(threads.Hold(*threads.ProcessOf(static_cast<uint32_t>(::getpid()))));
        EXPECT_FALSE(threads.Release(key)); // a stray release banks no resume
        ASSERT_TRUE(threads.Hold(key) && threads.Hold(key));
        EXPECT_TRUE(child->WaitForState('T', 10000));
        threads.Release(key);
        EXPECT_FALSE(child->WaitForState('S', 200)) << "continued";
        threads.Release(key);
        EXPECT_TRUE(child->WaitForState('S', 10000));
        // A held process killed by the user takes its record with it; its key stops nothing more.
        ASSERT_TRUE(threads.Hold(doomed) && threads.Hold(key));
        other->Kill();
        EXPECT_EQ(threads.HeldProcesses(), std::vector{key});
        EXPECT_FALSE(threads.Holds(doomed) > 0 || threads.Hold(doomed));
        EXPECT_EQ(ReadAll(stateFile), "boot " + linux_os::BootId("/proc") + "\n" + std::to_string(key.pid) +
                                          " " + std::to_string(key.startTime) + "\n");
    }
    EXPECT_TRUE(child->WaitForState('S', 10000));
}

TEST_F(FreezingIntegrationTest, ANewRunReleasesWhatACrashedRunOfThisBootLeftFrozenButNotAReusedPidInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    ASSERT_TRUE(other->WaitForState('S', 10000));
    ASSERT_TRUE(test::Signal(other->Pid(), SIGSTOP)); // stopped by someone else
    const ProcessKey stopped = KeyOf(*other);
    // A record of another boot, and one whose start time is not that of the process under its pid.
    for (const auto& [boot, start] : {std::pair{std::string("another-boot"), stopped.startTime},
                                      {linux_os::BootId("/proc"), stopped.startTime + 1}}) {
        std::ofstream(stateFile) << "boot " << boot << '\n' << stopped.pid << ' ' << start << '\n';
        EXPECT_EQ(LinuxThreadControl("/proc", stateFile).ReleaseStale(), 0);
    }
    EXPECT_FALSE(other->WaitForState('S', 200)) << "continued";

    // The crashed run: killed while it holds a child, with no guardian to continue it.
    const ProcessKey held = KeyOf(*child);
    test::ChildProcess crashed([&] {
        LinuxThreadControl threads("/proc", stateFile);
        if (threads.Hold(held))
            ::pause();
    });
    ASSERT_TRUE(child->WaitForState('T', 10000));
    crashed.Kill();
    LinuxThreadControl next("/proc", stateFile);
    EXPECT_EQ(next.ReleaseStale(), 1);
    EXPECT_TRUE(child->WaitForState('S', 10000));
    EXPECT_EQ(next.ReleaseStale(), 0); // the record is emptied once used
}

TEST_F(FreezingIntegrationTest, TheHolderOfAConnectionIsTheProcessWhoseDescriptorsHoldItInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0, childPort = 0;
    const UniqueFd listener(test::Listen(port));
    UniqueFd client(test::Connect(port, &childPort));
    const UniqueFd accepted(test::Accept(listener.Get()));
    test::ChildProcess holder([] { ::pause(); });
    client.Reset(); // only the child holds the client's end now
    const TcpEndpoints connection =
        TcpEndpoints::IPv4(htonl(INADDR_LOOPBACK), htons(childPort), htonl(INADDR_LOOPBACK), htons(port));
    LinuxThreadControl threads;
    const ProcessKey expected = KeyOf(holder);
    EXPECT_EQ(threads.HolderOf(connection, expected.pid), expected);
    EXPECT_EQ(threads.HolderOf(connection, static_cast<uint32_t>(::getpid())), expected); // found afresh
    EXPECT_EQ(
        threads.HolderOf(TcpEndpoints::IPv4(htonl(INADDR_LOOPBACK), htons(childPort), 0, 0), expected.pid),
        std::nullopt);
}

// How the part of the program that holds processes ends while it holds one; only SIGKILL needs the
// guardian, so the others show the in-process handlers.
enum class WayOut { Segv, Abort, Exit, Kill };

class WayOutTest : public ::testing::TestWithParam<WayOut> {};

TEST_P(WayOutTest, AHeldProgramIsContinuedWithinOneSecondWhateverEndsTheFreezingProcessInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    auto target = StartSleeper();
    const ProcessKey key = KeyOf(*target);
    int command[2];
    ASSERT_EQ(::pipe(command), 0);
    const WayOut way = GetParam();
    test::ChildProcess firewall([&] {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        const auto guardian = way == WayOut::Kill ? linux_os::FreezeGuardian::Start() : nullptr;
        LinuxThreadControl threads("/proc", "", guardian.get());
        char byte = 0;
        if (threads.Hold(key) && ::read(command[0], &byte, 1) == 1)
            std::exit(1);
        ::pause();
    });
    ASSERT_TRUE(target->WaitForState('T', 10000));
    const std::string guardian = ReadAll("/proc/" + std::to_string(firewall.Pid()) + "/task/" +
                                         std::to_string(firewall.Pid()) + "/children");
    if (way == WayOut::Kill) {
        EXPECT_NE(ReadAll("/proc/" + std::to_string(std::stoi(guardian)) + "/status")
                      .find("CapEff:\t0000000000000000\n"),
                  std::string::npos)
            << "the guardian keeps a privilege";
    }

    const auto start = std::chrono::steady_clock::now();
    const int kSignalOf[] = {SIGSEGV, SIGABRT, 0, SIGKILL};
    if (way == WayOut::Exit)
        ASSERT_EQ(::write(command[1], "x", 1), 1);
    else
        ASSERT_TRUE(test::Signal(firewall.Pid(), kSignalOf[static_cast<int>(way)]));
    ASSERT_TRUE(target->WaitForState('S', 10000)) << "left frozen";
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("released %lld ms after the way out\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, std::chrono::seconds(1));
    ASSERT_TRUE(test::PollUntil([&] { return !firewall.Alive(); }, 10000));
    // Exit says 1; a signal takes its course after the release.
    const int status = firewall.Status();
    EXPECT_TRUE(way == WayOut::Exit
                    ? WIFEXITED(status) && WEXITSTATUS(status) == 1
                    : WIFSIGNALED(status) && WTERMSIG(status) == kSignalOf[static_cast<int>(way)]);
    if (way == WayOut::Kill) { // the guardian is gone with the program
        EXPECT_TRUE(test::PollUntil([&] { return test::ProcessState(std::stoi(guardian)) != 'S'; }, 10000));
    }
    for (const int end : command)
        ::close(end);
}

std::string CaseName(const ::testing::TestParamInfo<WayOut>& info)
{
    const char* names[] = {"Segv", "Abort", "Exit", "Kill"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(SegvAbortExitKill, WayOutTest,
                         ::testing::Values(WayOut::Segv, WayOut::Abort, WayOut::Exit, WayOut::Kill),
                         CaseName);

} // namespace
} // namespace qb
