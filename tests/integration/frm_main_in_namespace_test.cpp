// The main window on the real platform inside a private network namespace: a child's connection reaches
// the Monitoring list under its program's name, and a blocked program's connection is reset by the polls
// while the listener it reached keeps working.
#include "base/settings_store.h"
#include "control/rule_store.h"
#include "integration/loopback.h"
#include "monitor/monitoring_page.h"
#include "platform/linux/linux_platform.h"
#include "shell/frm_main_window.h"
#include "support/net_namespace.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace qb {
namespace {

using test::ChildProcess;

// A bash that opens a connection to `port` through its own /dev/tcp and waits on it with a builtin, so
// that bash alone owns the socket; it ends when the connection goes.
std::unique_ptr<ChildProcess> BashWithConnection(uint16_t port)
{
    const std::string script =
        "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(port) + "; read -r -t 60 -u 3 2>/dev/null";
    return std::make_unique<ChildProcess>([script] {
        ::execl("/bin/bash", "bash", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    });
}

// Runs the event loop until `condition` holds (checked every 5 ms) or `timeoutMs` has passed.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

// The peer of an accepted socket is gone: end of stream or a reset, without waiting.
bool PeerGone(int fd)
{
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno == ECONNRESET);
}

uint16_t PeerPort(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    test::Check(::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0, "getpeername");
    return ntohs(address.sin_port);
}

QTreeWidgetItem* FindRow(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == text)
            return list->topLevelItem(i);
    }
    return nullptr;
}

class FrmMainInNamespaceTest : public ::testing::Test {
protected:
    // Declared first: the platform and the store read the temporary folders when they are made.
    test::TempHome home;
    QTemporaryDir stateFolder;
    const QString bashPath = QString::fromStdString(std::filesystem::canonical("/bin/bash").string());
    const QString ownPath = QString::fromStdString(std::filesystem::canonical("/proc/self/exe").string());
    std::optional<Platform> platform;
    std::optional<SettingsStore> settings;
    std::unique_ptr<FrmMain> window;
    int listener = -1;
    uint16_t port = 0;

    void TearDown() override
    {
        window.reset();
        if (listener >= 0)
            ::close(listener);
    }

    // The namespace must be entered and online before this: the platform's sockets are made here.
    void MakeWindow()
    {
        ASSERT_TRUE(stateFolder.isValid());
        platform.emplace(linux_os::MakeLinuxPlatform(stateFolder.path().toStdString()));
        settings.emplace(home.ConfigHome());
        window = std::make_unique<FrmMain>(*platform, *settings);
        // This process owns the accepted ends: it is allowed, so that it never waits for an answer.
        AddRule(ownPath, true);
    }

    // A rule written the way the Applications page's buttons write it, which asks no question.
    void AddRule(const QString& path, bool allow)
    {
        RuleStore& rules = window->Rules();
        ASSERT_TRUE(rules.AddProgram(path, 0));
        rules.UpdatePrograms();
        const int16_t slot = rules.CheckProgramID(path);
        ASSERT_GT(slot, 0);
        if (allow) {
            ASSERT_TRUE(rules.SetProgramStatus(slot, 1));
        }
        rules.UpdatePrograms();
        ASSERT_EQ(rules.Rule(slot).Blocked, !allow);
    }
};

TEST_F(FrmMainInNamespaceTest, AChildsConnectionIsListedUnderItsProgramsNameInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    ASSERT_NO_FATAL_FAILURE(MakeWindow());
    ASSERT_NO_FATAL_FAILURE(AddRule(bashPath, true));
    listener = test::Listen(port);
    window->LoadWindow();

    auto child = BashWithConnection(port);
    const int accepted = test::Accept(listener);
    const QString expected = "bash (" + QString::number(PeerPort(accepted)) + ")";
    QTreeWidget* list = window->Monitoring()->ListView1();
    ASSERT_TRUE(RunUntil([&] { return FindRow(list, expected) != nullptr; }, 3000)) << expected.toStdString();

    const QTreeWidgetItem* row = FindRow(list, expected);
    EXPECT_EQ(row->text(1), "127.0.0.1:" + QString::number(port));
    const MonitorRow* built = window->Monitoring()->RowOf(row);
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->pid, static_cast<uint32_t>(child->Pid()));
    EXPECT_EQ(built->path.toStdString(), bashPath.toStdString());
    // The accepted end is listed under this program; the listener is not listed.
    const QString ownName = ownPath.mid(ownPath.lastIndexOf('/') + 1);
    EXPECT_NE(FindRow(list, ownName + " (" + QString::number(port) + ")"), nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 2);
    // Both programs have an allow rule: nothing is pending, nothing was frozen, the child still talks.
    EXPECT_EQ(window->OpenPrompts(), 0);
    EXPECT_TRUE(window->CurrentProcessing().isEmpty());
    EXPECT_FALSE(PeerGone(accepted));
    EXPECT_NE(child->State(), 'T');
    ::close(accepted);
}

TEST_F(FrmMainInNamespaceTest, ABlockedProgramsConnectionIsResetWithinTwoPollsInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    std::string why;
    ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
    ASSERT_NO_FATAL_FAILURE(MakeWindow());
    ASSERT_NO_FATAL_FAILURE(AddRule(bashPath, false));
    listener = test::Listen(port);
    window->LoadWindow();
    // Counted after the window's own handler, so a count includes that poll's work.
    int polls = 0;
    QObject counting;
    QObject::connect(&window->Timer1, &QTimer::timeout, &counting, [&] { ++polls; });

    auto child = BashWithConnection(port);
    const int accepted = test::Accept(listener);
    ASSERT_EQ(polls, 0); // the event loop has not run since the connection was made
    std::optional<int> pollsWhenGone;
    RunUntil(
        [&] {
            if (!pollsWhenGone && PeerGone(accepted))
                pollsWhenGone = polls;
            return pollsWhenGone.has_value() || polls > 2;
        },
        3000);
    ASSERT_TRUE(pollsWhenGone.has_value()) << "still connected after " << polls << " polls";
    EXPECT_GE(*pollsWhenGone, 1);
    EXPECT_LE(*pollsWhenGone, 2);
    const int16_t slot = window->Rules().CheckProgramID(bashPath);
    EXPECT_GE(window->Rules().Rule(slot).Blocks, 1);
    EXPECT_EQ(window->OpenPrompts(), 0);
    // The reset ends the child's read, so bash exits on its own.
    EXPECT_TRUE(child->WaitForState('Z', 10000));
    ::close(accepted);

    // Only the blocked program's connection went: the listener still accepts and carries data.
    const int client = test::Connect(port);
    const int next = test::Accept(listener);
    ASSERT_EQ(::send(client, "x", 1, 0), 1);
    char byte = 0;
    EXPECT_EQ(::recv(next, &byte, 1, 0), 1);
    EXPECT_EQ(byte, 'x');
    ::close(next);
    ::close(client);
}

} // namespace
} // namespace qb
