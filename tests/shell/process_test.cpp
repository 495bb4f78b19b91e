// The shell's ties to the process: signals that end it and the one instance per user.
#include "shell/signal_exit.h"
#include "shell/single_instance.h"
#include "support/child_mode.h"
#include "support/wait_until.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace qb {
namespace {

using namespace std::chrono_literals;

// That a termination signal ends the real program in order, releasing what it froze, is pinned by the
// end-to-end release test.
TEST(SignalExitSetupTest, OneInstanceHoldsTheHandlersAndGivesThemBack)
{
    const auto handler = [] {
        struct sigaction now {};
        return ::sigaction(SIGHUP, nullptr, &now) == 0 ? now.sa_handler : SIG_ERR;
    };
    const auto before = handler();
    {
        SignalExit first;
        SignalExit second;
        EXPECT_TRUE(first.Installed() && !second.Installed());
        EXPECT_NE(handler(), before);
    }
    EXPECT_EQ(handler(), before);
    EXPECT_TRUE(SignalExit().Installed());
}

// A second start in its own process: exits 0 as a secondary, 1 as a primary.
int SecondStart()
{
    int argc = 1;
    char name[] = "second";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SingleInstance instance(qEnvironmentVariable("QB_INSTANCE_FOLDER"));
    return instance.Claim() == InstanceRole::Secondary ? 0 : 1;
}
const test::ChildMode kSecondStart("second-start", SecondStart);

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir; // mode 0700, as the default folder must be
};

TEST_F(SingleInstanceTest,
       AfterTheFirstEndsTheNextIsPrimaryDespiteALeftoverSocketAndLaterStartsReachItFromAnyProcess)
{
    {
        SingleInstance first(dir.path());
        ASSERT_EQ(first.Claim(), InstanceRole::Primary);
    }
    EXPECT_FALSE(QFile::exists(SingleInstance(dir.path()).SocketPath()));
    // As a crashed instance leaves it.
    ASSERT_TRUE(QFile(SingleInstance(dir.path()).SocketPath()).open(QIODevice::WriteOnly));
    SingleInstance next(dir.path());
    int shown = 0;
    QObject::connect(&next, &SingleInstance::ShowRequested, [&] { ++shown; });
    ASSERT_EQ(next.Claim(), InstanceRole::Primary);
    QProcess later; // a second start in another process
    test::StartChild(later, "second-start", {"QB_INSTANCE_FOLDER=" + dir.path()});
    ASSERT_TRUE(test::WaitUntil([&] { return later.state() == QProcess::NotRunning; }, 10000ms));
    EXPECT_TRUE(later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0)
        << later.readAllStandardError().toStdString();
    EXPECT_TRUE(test::WaitUntil([&] { return shown == 1; }, 10000ms));
    // The secondary leaves the primary's socket in place for the next start.
    EXPECT_EQ(SingleInstance(dir.path()).Claim(), InstanceRole::Secondary);
    EXPECT_TRUE(test::WaitUntil([&] { return shown == 2; }, 10000ms));
}

TEST_F(SingleInstanceTest, AFolderOthersCanWriteIsNotTrustedAndNoStartRunsUnguarded)
{
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    SingleInstance first(dir.path());
    EXPECT_EQ(first.Claim(), InstanceRole::Unguarded);
    EXPECT_FALSE(QFile::exists(first.LockPath()));
    EXPECT_EQ(SingleInstance(QString()).Claim(), InstanceRole::Unguarded);
}

TEST_F(SingleInstanceTest, TheDefaultFolderIsThePrivateRuntimeFolderElseThePrivateStateFolder)
{
    QTemporaryDir state;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    QStringList chosen{SingleInstance::DefaultFolder(state.path())};
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    chosen << SingleInstance::DefaultFolder(state.path());
    ASSERT_EQ(::chmod(QFile::encodeName(state.path()).constData(), 0755), 0);
    chosen << SingleInstance::DefaultFolder(state.path());
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_EQ(chosen, QStringList({dir.path(), state.path(), QString()}));
}

} // namespace
} // namespace qb
