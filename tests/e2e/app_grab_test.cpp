// The real program under Xvfb, inside a network namespace of the test's own: an X client that holds the
// pointer and keyboard grab when it connects is prompted for but not frozen until it lets the grab go,
// and when the X server dies while it is frozen, the program's exit continues it.
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
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* pointer =
        xcb_grab_pointer_reply(c,
                               xcb_grab_pointer(c, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                                XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                               nullptr);
    auto* keyboard = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    const bool grabbed = pointer && keyboard && pointer->status == XCB_GRAB_STATUS_SUCCESS &&
                         keyboard->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(pointer);
    std::free(keyboard);
    if (!grabbed)
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

TEST(AppGrabTest, AGrabHolderIsFrozenOnlyOnceItLetsGoAndTheDisplaysEndContinuesItInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << "needs Xvfb: " << why;
    test::XSession session;
    ASSERT_TRUE(session.Start(&why)) << why;
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid() && test::AllowThisTestBinary(home));
    // The client is this binary under another path, so that the allow rule for the test misses it.
    const QString client = home.filePath("grabber");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), client));
    ASSERT_TRUE(QFile::setPermissions(client, QFile::ReadOwner | QFile::ExeOwner));
    uint16_t port = 0;
    const UniqueFd listener(test::Listen(port));

    QProcess app;
    app.setProcessEnvironment(test::AppEnvironment(home, session.Display()));
    app.start(QB_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
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
    const auto state = [&] { return test::ProcessState(grabber.processId()); };
    ASSERT_TRUE(test::WaitUntil([&] { return shown("Warning!"); }, 10s)) << "no prompt";
    EXPECT_FALSE(test::WaitUntil([&] { return state() == 'T'; }, 1s)) << "frozen while it holds the grab";
    grabber.write("go\n");
    ASSERT_TRUE(test::WaitUntil([&] { return state() == 'T'; }, 10s)) << "not frozen after the grab";

    ::kill(session.ServerPid(), SIGKILL);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(test::WaitUntil([&] { return state() != 'T'; }, 10s)) << "left frozen";
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("released %lld ms after the X server was killed\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, 1s);
    EXPECT_TRUE(app.waitForFinished(10000)) << "the program outlives its display";
    grabber.kill();
    grabber.waitForFinished(5000);
}

} // namespace
} // namespace qb
