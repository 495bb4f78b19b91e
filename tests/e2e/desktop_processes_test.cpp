// Finding the desktop's own processes (display server, window manager, tray host) so that they are never
// frozen, against a real X session.
#include "platform/linux/desktop_processes_linux.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace qb::linux_os {
namespace {

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
    const auto found = [&](pid_t pid) {
        return std::ranges::count(desktop.Pids(), static_cast<uint32_t>(pid)) > 0;
    };
    // trayer names its window before it owns the tray selection.
    EXPECT_TRUE(test::WaitUntil([&] { return found(session.TrayHostPid()); }, std::chrono::seconds(30)));
    for (const pid_t pid :
         {::getpid(), session.ServerPid(), session.WindowManagerPid(), session.TrayHostPid()})
        EXPECT_TRUE(found(pid)) << pid;
}

TEST(DesktopProcessesTest, WithoutADisplayOnlyItsOwnProcessesAreKnownAndOnlyLocalDisplaysHaveASocket)
{
    const auto self = static_cast<uint32_t>(::getpid());
    EXPECT_EQ(LinuxDesktopProcesses("", "", {42}).Pids(),
              (std::vector<uint32_t>{self, 42})); // and its helper
    EXPECT_EQ(LinuxDesktopProcesses("otherhost:0", "/nonexistent/wayland-0").Pids().front(), self);
    for (const auto& [display, socket] : {std::pair{":0", "/tmp/.X11-unix/X0"},
                                          {":12.1", "/tmp/.X11-unix/X12"},
                                          {"unix:3", "/tmp/.X11-unix/X3"},
                                          {"host:0", ""},
                                          {":x", ""},
                                          {"", ""}})
        EXPECT_EQ(LocalDisplaySocket(display), socket) << display;
}

} // namespace
} // namespace qb::linux_os
