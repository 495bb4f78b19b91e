// The real program started with --minimized under a real X server with a tray host: after the splash
// only its tray icon is on the screen.
#include "e2e/app_under_test.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

#include <cstdio>

namespace qb {
namespace {

using namespace std::chrono_literals;

TEST(AppMinimizedTest, AfterTheSplashOnlyTheTrayIconIsShownInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    test::XSession session;
    std::string why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    ASSERT_TRUE(session.Start(&why) && session.StartWindowManager(&why) && session.StartTrayHost(&why))
        << why;
    QTemporaryDir home;
    ASSERT_TRUE(test::AllowThisTestBinary(home));
    QProcess app;
    app.setProcessEnvironment(test::AppEnvironment(home, session.Display()));
    app.start(QB_APP_BINARY, {"--minimized"});
    ASSERT_TRUE(app.waitForStarted(5000));
    const std::string display = "DISPLAY=" + session.Display() + " xdotool search --onlyvisible ";
    const std::string pid = std::to_string(app.processId());

    ASSERT_TRUE(
        test::WaitUntil([&] { return !test::Output(display + "--name '^Personal Firewall$'").empty(); }, 15s))
        << "no splash";
    ASSERT_TRUE(
        test::WaitUntil([&] { return test::Output(display + "--name '^Personal Firewall$'").empty(); }, 30s))
        << "the splash stays";
    EXPECT_EQ(test::Output(display + "--name '^Quillbrook Personal Firewall$'"), "")
        << "the main window is shown";
    EXPECT_NE(test::Output(display + "--pid " + pid), "") << "no tray icon";

    test::Signal(static_cast<pid_t>(app.processId()), SIGTERM);
    EXPECT_TRUE(app.waitForFinished(10000));
}

} // namespace
} // namespace qb
