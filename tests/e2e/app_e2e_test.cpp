// The whole program under Xvfb with openbox and trayer, inside an "online" network namespace of the
// test's own, with a private home: the splash, the main window, a prompt for an unknown program that
// connects, the "Allways block" choice, and "Close" from the tray. The test process is the local server
// the program watches (with an allow rule, or it would be frozen too); the unknown program is a bash
// child that reconnects whenever its connection is reset. Screenshots go to e2e-artifacts/.
#include "e2e/app_under_test.h"
#include "integration/loopback.h"
#include "platform/unique_fd.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

namespace qb {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Accepts the bash child's connections as they come and notes when each one ends.
struct Server {
    struct Connection {
        UniqueFd fd;
        Clock::time_point accepted;
        std::optional<Clock::time_point> reset;
    };
    uint16_t port = 0;
    const UniqueFd listener{test::Listen(port)};
    std::vector<Connection> connections;

    // The number of connections ended so far.
    int Poll()
    {
        for (pollfd waiting{listener.Get(), POLLIN, 0}; ::poll(&waiting, 1, 0) == 1;)
            connections.push_back({UniqueFd(test::Accept(listener.Get())), Clock::now(), std::nullopt});
        char byte = 0;
        for (Connection& c : connections) {
            const ssize_t got = c.reset ? 1 : ::recv(c.fd.Get(), &byte, 1, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN))
                c.reset = Clock::now();
        }
        return static_cast<int>(
            std::ranges::count_if(connections, [](const Connection& c) { return c.reset.has_value(); }));
    }
};

class AppEndToEndTest : public ::testing::Test {
protected:
    test::XSession session;
    QTemporaryDir home;
    QProcess app;

    void TearDown() override
    {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(5000);
        }
    }
    void Screenshot(const QString& name)
    {
        const QString artifacts = QDir::currentPath() + "/e2e-artifacts";
        QDir().mkpath(artifacts);
        session.Run("import -window root " + (artifacts + "/" + name + ".png").toStdString());
    }
    // The number of windows an xdotool search finds.
    long Count(const std::string& search) const
    {
        return std::ranges::count(test::Output("DISPLAY=" + session.Display() + " xdotool search " + search),
                                  '\n');
    }
    void Xdotool(const std::string& arguments)
    {
        EXPECT_TRUE(session.Run("xdotool " + arguments)) << arguments;
    }
};

TEST_F(AppEndToEndTest, PromptBlockAlwaysAndCloseFromTheTrayInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << "needs Xvfb, openbox and trayer: " << why;
    ASSERT_TRUE(session.Start(&why) && session.StartWindowManager(&why) && session.StartTrayHost(&why))
        << why;
    // The server is this test process: allow it before the program starts.
    ASSERT_TRUE(home.isValid() && test::AllowThisTestBinary(home));
    Server server;
    app.setProcessEnvironment(test::AppEnvironment(home, session.Display()));
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(QB_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    const auto started = Clock::now();
    const std::string appPid = std::to_string(app.processId());
    const std::string appWindows = "--onlyvisible --pid " + appPid;

    ASSERT_TRUE(test::WaitUntil([&] { return Count("--onlyvisible --name '^Personal Firewall$'") > 0; }, 10s))
        << "no splash";
    Screenshot("1-splash");
    ASSERT_TRUE(test::WaitUntil(
        [&] { return Count("--onlyvisible --name '^Quillbrook Personal Firewall$'") > 0; }, 15s))
        << "no window";
    EXPECT_GE(Clock::now() - started, 3s) << "the splash is paced over about five seconds";
    EXPECT_TRUE(test::WaitUntil([&] { return Count("--onlyvisible --name '^Personal Firewall$'") == 0; }, 5s))
        << "the splash stays";
    Screenshot("2-main-window");

    QProcess child;
    child.start("/bin/bash",
                {"-c", QString("while :; do exec 3<>/dev/tcp/127.0.0.1/%1 || { sleep 0.1; continue; }; "
                               "read -r -u 3 line; exec 3<&-; sleep 0.1; done")
                           .arg(server.port)});
    ASSERT_TRUE(child.waitForStarted(5000));
    const qint64 bash = child.processId();
    ASSERT_TRUE(test::WaitUntil([&] { return Count("--onlyvisible --name '^Warning!$'") > 0; }, 10s))
        << "no prompt";
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(bash) == 'T'; }, 10s))
        << "the unknown program runs on";
    Screenshot("3-prompt");
    const std::string prompt = "search --onlyvisible --name '^Warning!$' mousemove --window %1";
    // The action list: closing its popup leaves it focused; three steps down is "Allways block". Each
    // step waits for the popup to come or go, so that no key reaches the wrong window.
    const long before = Count(appWindows);
    Xdotool(prompt + " 100 238 click 1");
    EXPECT_TRUE(test::WaitUntil([&] { return Count(appWindows) > before; }, 5s)) << "the list does not open";
    Xdotool("key Escape");
    EXPECT_TRUE(test::WaitUntil([&] { return Count(appWindows) == before; }, 5s))
        << "the list does not close";
    Xdotool("key Down Down Down"); // the click on Ok below reaches the window after these keys
    Screenshot("4-allways-block");
    Xdotool(prompt + " 363 286 click 1"); // Ok

    EXPECT_TRUE(test::WaitUntil([&] { return Count("--onlyvisible --name '^Warning!$'") == 0; }, 5s))
        << "the prompt stays";
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(bash) != 'T'; }, 10s))
        << "the program stays frozen";
    {
        SettingsStore settings(home.path() + "/config/Quillbrook");
        EXPECT_EQ(settings.Get(kFirewallApplication, "Programs", "Path1"), "/usr/bin/bash");
        EXPECT_EQ(settings.Get(kFirewallApplication, "Programs", "Status1"), "0");
    }
    // Its connection was reset by the prompt; each new one is reset by the next refresh that sees it.
    ASSERT_TRUE(test::WaitUntil([&] { return server.Poll() >= 3; }, 10s))
        << "new connections of the blocked program are not reset";
    for (std::size_t i = 1; i < server.connections.size(); ++i) {
        const auto& c = server.connections[i];
        if (c.reset) {
            const auto lived = std::chrono::duration_cast<std::chrono::milliseconds>(*c.reset - c.accepted);
            std::printf("connection %zu reset after %lld ms\n", i, static_cast<long long>(lived.count()));
            EXPECT_LT(lived, 1000ms) << "two polls are 400 ms; the rest is slack for a loaded machine";
        }
    }

    // The tray icon: a window of the program in the notification area, top right.
    const long shown = Count(appWindows);
    Xdotool("mousemove 1011 15");
    EXPECT_TRUE(test::WaitUntil([&] { return Count(appWindows) > shown; }, 10s)) << "no tooltip";
    Screenshot("5-tray-tooltip");
    Xdotool("mousemove 500 500");
    EXPECT_TRUE(test::WaitUntil([&] { return Count(appWindows) == shown; }, 10s)) << "the tooltip stays";
    // Pressed at once, before a tooltip can show: the next window of the program is the menu.
    Xdotool("mousemove 1011 15 click 1");
    ASSERT_TRUE(test::WaitUntil([&] { return Count(appWindows) > shown; }, 10s)) << "no tray menu";
    Screenshot("6-tray-menu");
    Xdotool("key Up Return"); // "Close" is the menu's last item
    EXPECT_TRUE(app.waitForFinished(10000)) << "Close from the tray did not end the program";
    EXPECT_EQ(Count("--pid " + appPid), 0);
    child.kill();
    child.waitForFinished(3000);
}

} // namespace
} // namespace qb
