#include "shell/signal_exit.h"
#include "support/child_mode.h"
#include "support/wait_until.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace qb {
namespace {

using namespace std::chrono_literals;

// Reports each signal it is asked to exit by, then quits cleanly, as the program does.
int SignalChild()
{
    int argc = 1;
    char name[] = "signal-child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SignalExit exit;
    if (!exit.Installed())
        return 2;
    QObject::connect(&exit, &SignalExit::ExitRequested, &app, [&](int signalNumber) {
        std::printf("exit on %d\n", signalNumber);
        std::fflush(stdout);
        // The cleanup runs in the event loop: one more turn before quitting, as release and cache writes do.
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec() == 0 ? 0 : 3;
}
const test::ChildMode kSignalChild("signal-child", SignalChild);

class SignalExitTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalExitTest, TheSignalBecomesAnOrderlyExit)
{
    QProcess child;
    test::StartChild(child, "signal-child");
    ASSERT_TRUE(test::WaitUntil([&] { return child.canReadLine() || child.state() == QProcess::NotRunning; },
                                10000ms));
    ASSERT_EQ(child.readLine(), "ready\n") << child.readAllStandardError().toStdString();
    // Our own child, by its pid.
    ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), GetParam()), 0);
    ASSERT_TRUE(test::WaitUntil([&] { return child.state() == QProcess::NotRunning; }, 10000ms));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit); // not killed by the signal
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_EQ(child.readAllStandardOutput(), QByteArray("exit on ") + QByteArray::number(GetParam()) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalExitTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(SignalExitSetupTest, OneInstanceHoldsTheHandlersAndGivesThemBack)
{
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGHUP, nullptr, &before), 0);
    {
        SignalExit first;
        SignalExit second;
        EXPECT_TRUE(first.Installed());
        EXPECT_FALSE(second.Installed());
        struct sigaction during {};
        ::sigaction(SIGHUP, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    ::sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    SignalExit again;
    EXPECT_TRUE(again.Installed());
}

} // namespace
} // namespace qb
