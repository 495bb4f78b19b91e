// The real program, on the offscreen platform inside a network namespace of the test's own: an unknown
// program that connects is frozen while its prompt is open, and a termination signal to the firewall
// releases it before the firewall exits.
#include "e2e/app_under_test.h"
#include "integration/loopback.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

#include <chrono>
#include <cstdio>

namespace qb {
namespace {

using namespace std::chrono_literals;

class AppSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(AppSignalTest, ATerminationSignalReleasesFrozenProgramsInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    // This test holds the listening side: an allow rule keeps the firewall from freezing it.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid() && test::AllowThisTestBinary(home));
    uint16_t port = 0;
    const int listener = test::Listen(port);

    QProcess app;
    app.setProcessEnvironment(test::AppEnvironment(home, {}));
    app.start(QB_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    QProcess client;
    client.start("/bin/bash", {"-c", QString("exec 3<>/dev/tcp/127.0.0.1/%1; sleep 60").arg(port)});
    ASSERT_TRUE(client.waitForStarted(5000));
    const int accepted = test::Accept(listener);

    // The splash takes about five seconds before the first refresh.
    ASSERT_TRUE(test::WaitUntil([&] { return test::ProcessState(client.processId()) == 'T'; }, 15s))
        << "not frozen";
    ::kill(static_cast<pid_t>(app.processId()), GetParam());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(client.processId()) == 'S'; }, 10s))
        << "left frozen";
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("released %lld ms after signal %d\n", static_cast<long long>(took.count()), GetParam());
    EXPECT_LT(took, 1s);
    EXPECT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    client.kill();
    client.waitForFinished(3000);
    ::close(accepted);
    ::close(listener);
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, AppSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
} // namespace qb
