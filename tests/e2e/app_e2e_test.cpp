// The whole program under Xvfb with openbox and trayer, inside an "online" network namespace of the
// test's own, with a private home: the splash, the main window, a prompt for an unknown program that
// connects, the "Allways block" choice, and "Close" from the tray. The test process is the local server
// the program watches (with an allow rule, or it would be frozen too); the unknown program is a bash
// child that reconnects whenever its connection is reset. Screenshots go to e2e-artifacts/.
#include "e2e/app_under_test.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>

namespace qb {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        ::pclose(pipe);
    }
    return text;
}

// Accepts the bash child's connections as they come and notes when each one is reset.
class Server {
public:
    Server()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const bool ok = ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                        ::listen(m_listener, 64) == 0 &&
                        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        EXPECT_TRUE(ok);
        m_port = ntohs(address.sin_port);
    }
    ~Server()
    {
        for (const Connection& c : m_connections)
            ::close(c.fd);
        ::close(m_listener);
    }
    uint16_t Port() const { return m_port; }

    struct Connection {
        int fd = -1;
        Clock::time_point accepted;
        std::optional<Clock::time_point> reset;
    };
    const std::vector<Connection>& Connections() const { return m_connections; }

    void Poll()
    {
        for (int fd; (fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;)
            m_connections.push_back({fd, Clock::now(), std::nullopt});
        for (Connection& c : m_connections) {
            char byte;
            if (!c.reset && ::recv(c.fd, &byte, 1, 0) <= 0 && errno != EAGAIN)
                c.reset = Clock::now();
        }
    }

private:
    int m_listener = -1;
    uint16_t m_port = 0;
    std::vector<Connection> m_connections;
};

class AppEndToEndTest : public ::testing::Test {
protected:
    test::XSession session;
    QTemporaryDir home;
    QString artifacts = QDir::currentPath() + "/e2e-artifacts";
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
        QDir().mkpath(artifacts);
        session.Run("import -window root " + (artifacts + "/" + name + ".png").toStdString());
    }
    std::string Windows(const std::string& name) const
    {
        return Output("DISPLAY=" + session.Display() + " xdotool search --onlyvisible --name '" + name + "'");
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
    ASSERT_TRUE(home.isValid());

    // The server is this test process: allow it before the program starts.
    ASSERT_TRUE(test::AllowThisTestBinary(home));
    const QString config = home.path() + "/config";
    Server server;
    app.setProcessEnvironment(test::AppEnvironment(home, session.Display()));
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(QB_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    const auto started = Clock::now();
    const std::string appPid = std::to_string(app.processId());

    ASSERT_TRUE(test::WaitUntil([&] { return !Windows("^Personal Firewall$").empty(); }, 10s)) << "no splash";
    Screenshot("1-splash");
    ASSERT_TRUE(test::WaitUntil([&] { return !Windows("^Quillbrook Personal Firewall$").empty(); }, 15s))
        << "no window";
    EXPECT_GE(Clock::now() - started, 3s) << "the splash is paced over about five seconds";
    EXPECT_TRUE(test::WaitUntil([&] { return Windows("^Personal Firewall$").empty(); }, 5s))
        << "the splash stays";
    Screenshot("2-main-window");

    QProcess child;
    child.start("/bin/bash",
                {"-c", QString("while :; do exec 3<>/dev/tcp/127.0.0.1/%1 || { sleep 0.1; continue; }; "
                               "read -r -u 3 line; exec 3<&-; sleep 0.1; done")
                           .arg(server.Port())});
    ASSERT_TRUE(child.waitForStarted(5000));
    const qint64 bash = child.processId();

    ASSERT_TRUE(test::WaitUntil([&] { return !Windows("^Warning!$").empty(); }, 10s)) << "no prompt";
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(bash) == 'T'; }, 10s))
        << "the unknown program runs on";
    Screenshot("3-prompt");
    const std::string prompt = Windows("^Warning!$").substr(0, Windows("^Warning!$").find('\n'));
    // The action list: closing its popup leaves it focused; three steps down is "Allways block". Each
    // step waits for the popup to come or go, so that no key reaches the wrong window.
    const auto visibleWindows = [&] {
        const std::string list =
            Output("DISPLAY=" + session.Display() + " xdotool search --onlyvisible --pid " + appPid);
        return std::count(list.begin(), list.end(), '\n');
    };
    const auto before = visibleWindows();
    Xdotool("mousemove --window " + prompt + " 100 238 click 1");
    EXPECT_TRUE(test::WaitUntil([&] { return visibleWindows() > before; }, 5s)) << "the list does not open";
    Xdotool("key Escape");
    EXPECT_TRUE(test::WaitUntil([&] { return visibleWindows() == before; }, 5s)) << "the list does not close";
    Xdotool("key Down Down Down"); // the click on Ok below reaches the window after these keys
    Screenshot("4-allways-block");
    Xdotool("mousemove --window " + prompt + " 363 286 click 1"); // Ok

    EXPECT_TRUE(test::WaitUntil([&] { return Windows("^Warning!$").empty(); }, 5s)) << "the prompt stays";
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(bash) != 'T'; }, 10s))
        << "the program stays frozen";
    {
        SettingsStore settings(config + "/Quillbrook");
        EXPECT_EQ(settings.Get(kFirewallApplication, "Programs", "Path1"), "/USR/BIN/BASH");
        EXPECT_EQ(settings.Get(kFirewallApplication, "Programs", "Status1"), "0");
    }
    // Its connection was reset by the prompt; each new one is reset by the next refresh that sees it.
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            server.Poll();
            int reset = 0;
            for (const auto& c : server.Connections())
                reset += c.reset.has_value();
            return reset >= 3;
        },
        10s))
        << "new connections of the blocked program are not reset";
    for (std::size_t i = 1; i < server.Connections().size(); ++i) {
        const auto& c = server.Connections()[i];
        if (c.reset) {
            const auto lived = std::chrono::duration_cast<std::chrono::milliseconds>(*c.reset - c.accepted);
            std::printf("connection %zu reset after %lld ms\n", i, static_cast<long long>(lived.count()));
            EXPECT_LT(lived, 1000ms) << "two polls are 400 ms; the rest is slack for a loaded machine";
        }
    }

    // The tray icon: a window of the program in the notification area, top right.
    const std::string ownWindows =
        Output("DISPLAY=" + session.Display() + " xdotool search --onlyvisible --pid " + appPid);
    EXPECT_FALSE(ownWindows.empty());
    const auto shown = visibleWindows();
    Xdotool("mousemove 1011 15");
    EXPECT_TRUE(test::WaitUntil([&] { return visibleWindows() > shown; }, 10s)) << "no tooltip";
    Screenshot("5-tray-tooltip");
    Xdotool("mousemove 500 500");
    EXPECT_TRUE(test::WaitUntil([&] { return visibleWindows() == shown; }, 10s)) << "the tooltip stays";
    // Pressed at once, before a tooltip can show: the next window of the program is the menu.
    Xdotool("mousemove 1011 15 click 1");
    ASSERT_TRUE(test::WaitUntil([&] { return visibleWindows() > shown; }, 10s)) << "no tray menu";
    Screenshot("6-tray-menu");
    Xdotool("key Up Return"); // "Close" is the menu's last item
    EXPECT_TRUE(app.waitForFinished(10000)) << "Close from the tray did not end the program";
    EXPECT_EQ(Output("DISPLAY=" + session.Display() + " xdotool search --pid " + appPid), "");
    child.kill();
    child.waitForFinished(3000);
}

} // namespace
} // namespace qb
