// Holding real processes with SIGSTOP and SIGCONT, and every way out that continues them: the
// destructor, a fatal signal, exit(), SIGKILL (through the guardian) and a later run's record.
#include "integration/loopback.h"
#include "platform/linux/freeze_guardian.h"
#include "platform/linux/thread_control_linux.h"
#include "support/net_namespace.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace qb {
namespace {

using linux_os::LinuxThreadControl;

// A child with a second thread, both sleeping in short steps so that the child is 'S' while it runs.
std::unique_ptr<test::ChildProcess> StartSleeper()
{
    return std::make_unique<test::ChildProcess>([] {
        std::thread([] {
            for (;;)
                ::usleep(10000);
        }).detach();
        for (;;)
            ::usleep(10000);
    });
}

ProcessKey KeyOf(const test::ChildProcess& child)
{
    const auto pid = static_cast<uint32_t>(child.Pid());
    return {pid, linux_os::ProcessStartTime("/proc", pid).value_or(0)};
}

TEST(FreezingIntegrationTest, HoldsAreCountedPerProcessEndWithItAndAreReleasedByTheDestructorInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    QTemporaryDir folder;
    const std::string stateFile = folder.filePath("frozen").toStdString();
    auto child = StartSleeper();
    auto doomed = StartSleeper();
    const ProcessKey key = KeyOf(*child);
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
        const ProcessKey gone = KeyOf(*doomed);
        ASSERT_TRUE(threads.Hold(gone) && threads.Hold(key));
        doomed->Kill();
        EXPECT_EQ(threads.HeldProcesses(), std::vector{key});
        EXPECT_EQ(threads.Holds(gone), 0);
        EXPECT_FALSE(threads.Hold(gone));
        std::ifstream state(stateFile);
        std::string boot, id, rest;
        state >> boot >> id >> std::ws;
        std::getline(state, rest);
        EXPECT_EQ(boot + " " + id, "boot " + linux_os::BootId("/proc"));
        EXPECT_EQ(rest, std::to_string(key.pid) + " " + std::to_string(key.startTime));
    }
    EXPECT_TRUE(child->WaitForState('S', 10000));
}

TEST(FreezingIntegrationTest, ANewRunReleasesWhatACrashedRunOfThisBootLeftFrozenButNotAReusedPidInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    QTemporaryDir folder;
    const std::string stateFile = folder.filePath("frozen").toStdString();
    auto frozen = StartSleeper();
    auto other = StartSleeper();
    ASSERT_TRUE(other->WaitForState('S', 10000));
    ::kill(other->Pid(), SIGSTOP); // stopped by someone else
    ASSERT_TRUE(other->WaitForState('T', 10000));
    const ProcessKey stopped = KeyOf(*other);
    const auto record = [&](const std::string& boot, const ProcessKey& process) {
        std::ofstream(stateFile) << "boot " << boot << '\n'
                                 << process.pid << ' ' << process.startTime << '\n';
    };

    // A record of another boot, and one whose start time is not that of the process under its pid.
    for (const auto& [boot, process] : {std::pair{std::string("another-boot"), stopped},
                                        {linux_os::BootId("/proc"), {stopped.pid, stopped.startTime + 1}}}) {
        record(boot, process);
        EXPECT_EQ(LinuxThreadControl("/proc", stateFile).ReleaseStale(), 0);
    }
    EXPECT_FALSE(other->WaitForState('S', 200)) << "continued";

    // The crashed run: killed while it holds a child, with no guardian to continue it.
    const ProcessKey held = KeyOf(*frozen);
    test::ChildProcess crashed([&] {
        LinuxThreadControl threads("/proc", stateFile);
        if (threads.Hold(held))
            ::pause();
    });
    ASSERT_TRUE(frozen->WaitForState('T', 10000));
    crashed.Kill();
    LinuxThreadControl next("/proc", stateFile);
    EXPECT_EQ(next.ReleaseStale(), 1);
    EXPECT_TRUE(frozen->WaitForState('S', 10000));
    EXPECT_EQ(next.ReleaseStale(), 0); // the record is emptied once used
}

TEST(FreezingIntegrationTest, TheHolderOfAConnectionIsTheProcessWhoseDescriptorsHoldItInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0;
    const int listener = test::Listen(port);
    uint16_t childPort = 0;
    const int client = test::Connect(port, &childPort);
    const int accepted = test::Accept(listener);
    test::ChildProcess holder([] {
        for (;;)
            ::pause();
    });
    ::close(client); // only the child holds the client's end now
    const TcpEndpoints connection{htonl(INADDR_LOOPBACK), htons(childPort), htonl(INADDR_LOOPBACK),
                                  htons(port)};
    LinuxThreadControl threads;
    const ProcessKey expected = KeyOf(holder);
    EXPECT_EQ(threads.HolderOf(connection, expected.pid), expected);
    EXPECT_EQ(threads.HolderOf(connection, static_cast<uint32_t>(::getpid())), expected); // found afresh
    EXPECT_EQ(threads.HolderOf({connection.localAddr, connection.localPort, 0, 0}, expected.pid),
              std::nullopt);
    ::close(accepted);
    ::close(listener);
}

// How the part of the program that holds processes ends while it holds one.
enum class WayOut { Segv, Abort, Exit, Kill };

class WayOutTest : public ::testing::TestWithParam<WayOut> {};

TEST_P(WayOutTest, AHeldProgramIsContinuedWithinOneSecondWhateverEndsTheFreezingProcessInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    auto target = StartSleeper();
    ASSERT_TRUE(target->WaitForState('S', 10000));
    const ProcessKey key = KeyOf(*target);
    int command[2];
    ASSERT_EQ(::pipe(command), 0);
    const WayOut way = GetParam();
    // Only SIGKILL needs the guardian; without one the other ways out show the in-process handlers.
    test::ChildProcess firewall([&] {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        const auto guardian = way == WayOut::Kill ? linux_os::FreezeGuardian::Start() : nullptr;
        LinuxThreadControl threads("/proc", "", guardian.get());
        if (!threads.Hold(key))
            ::_exit(3);
        char byte = 0;
        if (::read(command[0], &byte, 1) == 1)
            std::exit(1);
        ::pause();
    });
    ASSERT_TRUE(target->WaitForState('T', 10000));
    std::optional<pid_t> guardian;
    if (way == WayOut::Kill) {
        std::ifstream children("/proc/" + std::to_string(firewall.Pid()) + "/task/" +
                               std::to_string(firewall.Pid()) + "/children");
        pid_t pid = 0;
        ASSERT_TRUE(children >> pid);
        guardian = pid;
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line) && line.rfind("CapEff:", 0) != 0) {
        }
        EXPECT_EQ(line, "CapEff:\t0000000000000000") << "the guardian keeps a privilege";
    }

    const auto start = std::chrono::steady_clock::now();
    const int kSignalOf[] = {SIGSEGV, SIGABRT, 0, SIGKILL};
    if (way == WayOut::Exit)
        ASSERT_EQ(::write(command[1], "x", 1), 1);
    else
        ::kill(firewall.Pid(), kSignalOf[static_cast<int>(way)]);
    ASSERT_TRUE(target->WaitForState('S', 10000)) << "left frozen";
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("released %lld ms after the way out\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, std::chrono::seconds(1));
    ASSERT_TRUE(test::PollUntil([&] { return !firewall.Alive(); }, 10000));
    const int status = firewall.Status();
    // Exit says 1; a signal takes its course after the release.
    EXPECT_TRUE(way == WayOut::Exit
                    ? WIFEXITED(status) && WEXITSTATUS(status) == 1
                    : WIFSIGNALED(status) && WTERMSIG(status) == kSignalOf[static_cast<int>(way)]);
    if (guardian) {
        EXPECT_TRUE(test::PollUntil([&] { return test::ProcessState(*guardian) != 'S'; }, 10000)) << "stays";
    }
    ::close(command[0]);
    ::close(command[1]);
}

INSTANTIATE_TEST_SUITE_P(SegvAbortExitKill, WayOutTest,
                         ::testing::Values(WayOut::Segv, WayOut::Abort, WayOut::Exit, WayOut::Kill));

} // namespace
} // namespace qb
