// The connection monitor and "Zatvor program" on the real platform: a child's connection is listed by
// its program, and ending that program works even while it is frozen.
#include "integration/loopback.h"
#include "monitor/connection_actions.h"
#include "monitor/connection_monitor.h"
#include "platform/linux/process_source_linux.h"
#include "platform/linux/process_terminator_linux.h"
#include "platform/linux/tcp_table_linux.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace qb {
namespace {

TEST(MonitorIntegrationTest, AChildsConnectionIsListedByItsProgramAndZatvorProgramEndsItInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    uint16_t port = 0;
    const int listener = test::Listen(port);
    // The child connects and then becomes "sleep", keeping the connection: its row must carry the new
    // executable's name, not the test's.
    test::ChildProcess child([port] {
        ::fcntl(test::Connect(port), F_SETFD, 0); // kept across exec
        ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
    });
    const int accepted = test::Accept(listener);
    const auto pid = static_cast<uint32_t>(child.Pid());
    linux_os::LinuxProcessSource processes;
    ASSERT_TRUE(test::PollUntil(
        [&] { return processes.ExecutablePath(pid).value_or("").ends_with("/sleep"); }, 10000));

    linux_os::LinuxTcpTable source;
    TcpTable table(source);
    OwnerResolver resolver(table, processes);
    MonitorHooks hooks;
    QString tip;
    hooks.SetTrayTip = [&](const QString& text) { tip = text; };
    ConnectionMonitor monitor(table, resolver, processes, hooks);
    monitor.NotOnline(true); // the fetch runs on the table's worker; the rows follow through the event loop
    const auto found = [&] { return std::ranges::find(monitor.Rows(), pid, &MonitorRow::pid); };
    ASSERT_TRUE(test::WaitUntil([&] { return found() != monitor.Rows().end(); }, std::chrono::seconds(10)));
    const MonitorRow row = *found();
    EXPECT_TRUE(row.text.startsWith("sleep (")) << row.text.toStdString();
    EXPECT_EQ(tip, "Quillbrook Personal Firewall: Monitoring 3 connections"); // listener, both ends

    linux_os::LinuxProcessTerminator terminator;
    ConnectionActions actions(source, terminator);
    QStringList questions;
    actions.AskYesNo = [&](const QString& question) {
        questions << question;
        return true;
    };
    EXPECT_EQ(actions.CloseProgram(row), ConnectionActions::CloseProgramResult::Ended);
    EXPECT_EQ(questions.back(), "Are you sure you want to close sleep ?");
    EXPECT_TRUE(child.WaitForState('Z', 10000));
    ::close(accepted);
    ::close(listener);
}

TEST(MonitorIntegrationTest, AFrozenProgramStillEndsWhenClosedInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    // A child that handles SIGTERM itself can only do so once it runs again.
    test::ChildProcess child([] {
        ::signal(SIGTERM, [](int) { ::_exit(0); });
        for (;;)
            ::pause();
    });
    const auto pid = static_cast<uint32_t>(child.Pid());
    linux_os::LinuxProcessSource processes;
    ASSERT_TRUE(child.WaitForState('S', 10000));
    const auto startTime = processes.StartTime(pid);
    ASSERT_TRUE(startTime.has_value());
    ASSERT_EQ(::kill(child.Pid(), SIGSTOP), 0);
    ASSERT_TRUE(child.WaitForState('T', 10000));

    linux_os::LinuxProcessTerminator terminator;
    EXPECT_TRUE(terminator.Terminate(pid, *startTime));
    EXPECT_TRUE(child.WaitForState('Z', 10000));
    EXPECT_FALSE(terminator.Terminate(pid, *startTime + 1));
    const auto self = static_cast<uint32_t>(::getpid());
    EXPECT_FALSE(terminator.Terminate(self, *processes.StartTime(self)));
}

} // namespace
} // namespace qb
