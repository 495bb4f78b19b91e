// The real program, on the offscreen platform inside a network namespace of the test's own: an unknown
// program that connects is frozen while its prompt is open, and a termination signal to the firewall
// releases it before the firewall exits.
#include "e2e/app_under_test.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace qb {
namespace {

using namespace std::chrono_literals;

class AppSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(AppSignalTest, ATerminationSignalReleasesFrozenProgramsInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());

    // This test holds the listening side: an allow rule keeps the firewall from freezing it.
    ASSERT_TRUE(test::AllowThisTestBinary(home));
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 16), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    QProcess app;
    app.setProcessEnvironment(test::AppEnvironment(home, {}));
    app.start(QB_APP_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));

    QProcess client;
    client.start("/bin/bash",
                 {"-c", QString("exec 3<>/dev/tcp/127.0.0.1/%1; sleep 60").arg(ntohs(address.sin_port))});
    ASSERT_TRUE(client.waitForStarted(5000));
    const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(accepted, 0);

    // The splash takes about five seconds before the first refresh.
    ASSERT_TRUE(test::WaitUntil([&] { return test::ProcessState(client.processId()) == 'T'; }, 15s))
        << "not frozen";
    ::kill(static_cast<pid_t>(app.processId()), GetParam());
    EXPECT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessState(client.processId()) == 'S'; }, 10s))
        << "left frozen";

    client.kill();
    client.waitForFinished(3000);
    ::close(accepted);
    ::close(listener);
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, AppSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
} // namespace qb
