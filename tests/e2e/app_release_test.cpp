// The real program inside a network namespace of the test's own continues what it froze on its way out:
// on a termination signal (offscreen), and when its X display dies, with an X client as the frozen
// program that held the pointer and keyboard grab when it connected and so was frozen only once it let
// go. Each prints how long the release took.
#include "e2e/app_under_test.h"
#include "integration/loopback.h"
#include "platform/unique_fd.h"
#include "support/child_mode.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace qb {
namespace {

using namespace std::chrono_literals;

// Grabs the pointer and the keyboard, connects to 127.0.0.1:$QB_PORT, lets both grabs go when a line
// arrives on standard input and then waits. Exits 2 when it cannot grab.
int GrabThenConnect()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto grabbed = [](auto* reply) {
        const bool success = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        return success;
    };
    const auto async = XCB_GRAB_MODE_ASYNC;
    if (!grabbed(xcb_grab_pointer_reply(
            c, xcb_grab_pointer(c, 0, root, 0, async, async, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
            nullptr)) ||
        !grabbed(xcb_grab_keyboard_reply(c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, async, async),
                                         nullptr)))
        return 2;
    test::Connect(static_cast<uint16_t>(std::atoi(std::getenv("QB_PORT"))));
    char line[8];
    if (::read(STDIN_FILENO, line, sizeof line) <= 0)
        return 3;
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_flush(c);
    for (;;)
        ::pause();
}
const test::ChildMode kGrabThenConnect("grab-then-connect", GrabThenConnect);

class AppReleaseTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    uint16_t port = 0;
    UniqueFd listener;
    QProcess app;

    // This test holds the listening side: an allow rule keeps the program from freezing it.
    void SetUp() override
    {
        QB_REQUIRE_FRESH_NAMESPACE();
        std::string why;
        ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
        ASSERT_TRUE(home.isValid() && test::AllowThisTestBinary(home));
        listener.Reset(test::Listen(port));
    }
    void TearDown() override
    {
        app.kill();
        app.waitForFinished(5000);
    }
    void StartApp(const std::string& display)
    {
        app.setProcessEnvironment(test::AppEnvironment(home, display));
        app.start(QB_APP_BINARY, {});
        ASSERT_TRUE(app.waitForStarted(5000));
    }
    // Waits for the frozen `pid` to run again after `cause`, within a second.
    static void ExpectReleased(qint64 pid, const std::string& cause)
    {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(pid) != 'T'; }, 10s)) << "left frozen";
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::printf("released %lld ms after %s\n", static_cast<long long>(took.count()), cause.c_str());
        EXPECT_LT(took, 1s);
    }
};

class AppSignalTest : public AppReleaseTest, public ::testing::WithParamInterface<int> {};

TEST_P(AppSignalTest, ATerminationSignalReleasesFrozenProgramsInNamespace)
{
    ASSERT_NO_FATAL_FAILURE(StartApp({}));
    QProcess client;
    client.start("/bin/bash", {"-c", QString("exec 3<>/dev/tcp/127.0.0.1/%1; sleep 60").arg(port)});
    ASSERT_TRUE(client.waitForStarted(5000));
    const UniqueFd accepted(test::Accept(listener.Get()));
    ASSERT_TRUE(test::WaitUntil([&] { return test::ProcessState(client.processId()) == 'T'; }, 15s))
        << "not frozen";
    ASSERT_TRUE(test::Signal(static_cast<pid_t>(app.processId()), GetParam()));
    ExpectReleased(client.processId(), "signal " + std::to_string(GetParam()));
    EXPECT_TRUE(app.waitForFinished(10000));
    EXPECT_TRUE(app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0) << "not an orderly exit";
    client.kill();
    client.waitForFinished(3000);
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, AppSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST_F(AppReleaseTest, AGrabHolderIsFrozenOnlyOnceItLetsGoAndTheDisplaysEndContinuesItInNamespace)
{
    std::string why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << "needs Xvfb: " << why;
    test::XSession session;
    ASSERT_TRUE(session.Start(&why)) << why;
    // The client is this binary under another path, so that the allow rule for the test misses it.
    const QString client = home.filePath("grabber");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), client)); // permissions and all
    ASSERT_NO_FATAL_FAILURE(StartApp(session.Display()));
    const auto shown = [&](const char* title) {
        return session.Run(std::string("xdotool search --onlyvisible --name '^") + title + "$'");
    };
    ASSERT_TRUE(test::WaitUntil([&] { return shown("Quillbrook Personal Firewall"); }, 20s)) << "no window";

    QProcess grabber;
    QProcessEnvironment environment = test::AppEnvironment(home, session.Display());
    environment.insert("QB_CHILD_MODE", "grab-then-connect");
    environment.insert("QB_PORT", QString::number(port));
    grabber.setProcessEnvironment(environment);
    grabber.start(client, {});
    ASSERT_TRUE(grabber.waitForStarted(5000));
    const UniqueFd accepted(test::Accept(listener.Get()));
    const auto frozen = [&] { return test::ProcessState(grabber.processId()) == 'T'; };
    ASSERT_TRUE(test::WaitUntil([&] { return shown("Warning!"); }, 10s)) << "no prompt";
    EXPECT_FALSE(test::WaitUntil(frozen, 1s)) << "frozen while it holds the grab";
    grabber.write("go\n");
    ASSERT_TRUE(test::WaitUntil(frozen, 10s)) << "not frozen after the grab";

    ASSERT_TRUE(test::Signal(session.ServerPid(), SIGKILL));
    ExpectReleased(grabber.processId(), "the X server was killed");
    EXPECT_TRUE(app.waitForFinished(10000)) << "the program outlives its display";
    grabber.kill();
    grabber.waitForFinished(5000);
}

} // namespace
} // namespace qb
