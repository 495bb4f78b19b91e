#include "platform/linux/desktop_processes_linux.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace qb::linux_os {
namespace {

bool Contains(const std::vector<uint32_t>& pids, pid_t pid)
{
    return std::find(pids.begin(), pids.end(), static_cast<uint32_t>(pid)) != pids.end();
}

TEST(DesktopProcessesTest, TheDisplayServerWindowManagerAndTrayHostAreFoundInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    test::XSession session;
    std::string why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << why;
    ASSERT_TRUE(session.Start(&why) && session.StartWindowManager(&why) && session.StartTrayHost(&why))
        << why;
    LinuxDesktopProcesses desktop(session.Display(), "");
    // trayer names its window before it owns the tray selection.
    std::vector<uint32_t> pids;
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            pids = desktop.Pids();
            return Contains(pids, session.TrayHostPid());
        },
        std::chrono::seconds(30)));
    EXPECT_TRUE(Contains(pids, ::getpid()));
    EXPECT_TRUE(Contains(pids, session.ServerPid()));
    EXPECT_TRUE(Contains(pids, session.WindowManagerPid()));
    EXPECT_TRUE(Contains(pids, session.TrayHostPid()));
}

TEST(DesktopProcessesTest, WithoutADisplayOnlyItsOwnProcessIsKnown)
{
    LinuxDesktopProcesses desktop("", "");
    EXPECT_EQ(desktop.Pids(), std::vector<uint32_t>{static_cast<uint32_t>(::getpid())});
    LinuxDesktopProcesses remote("otherhost:0", "/nonexistent/wayland-0");
    EXPECT_EQ(remote.Pids().front(), static_cast<uint32_t>(::getpid()));
}

TEST(DesktopProcessesTest, OnlyLocalDisplaysHaveASocket)
{
    EXPECT_EQ(LocalDisplaySocket(":0"), "/tmp/.X11-unix/X0");
    EXPECT_EQ(LocalDisplaySocket(":12.1"), "/tmp/.X11-unix/X12");
    EXPECT_EQ(LocalDisplaySocket("unix:3"), "/tmp/.X11-unix/X3");
    EXPECT_EQ(LocalDisplaySocket("host:0"), "");
    EXPECT_EQ(LocalDisplaySocket(":x"), "");
    EXPECT_EQ(LocalDisplaySocket(""), "");
}

} // namespace
} // namespace qb::linux_os
