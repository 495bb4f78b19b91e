// The main window on the real platform inside a private network namespace that is online without a
// default route: an unknown program reaching only ::1 is listed under its own name, frozen and prompted,
// and "Zatvor program" ends it while frozen; every process of an unknown program is held until its prompt
// is answered; a blocked program's IPv6 connection and connected UDP socket are destroyed by the polls
// while the listener and a bound UDP socket keep working.
#include "base/settings_store.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "controls/picture_box.h"
#include "controls/user_control7.h"
#include "integration/loopback.h"
#include "monitor/monitoring_page.h"
#include "platform/linux/linux_platform.h"
#include "platform/unique_fd.h"
#include "shell/frm_main_window.h"
#include "support/net_namespace.h"
#include "support/pointer.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cerrno>
#include <filesystem>
#include <optional>

namespace qb {
namespace {

// The peer of an accepted socket is gone: end of stream or a reset, without waiting.
bool PeerGone(int fd)
{
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno == ECONNRESET);
}

QTreeWidgetItem* FindRow(QTreeWidget* list, const QString& text)
{
    return list->findItems(text, Qt::MatchExactly).value(0);
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
    UniqueFd listenerFd;
    int listener6 = -1;
    uint16_t port6 = 0;

    // The platform's sockets are made here, once the namespace is entered and online.
    void SetUp() override
    {
        QB_REQUIRE_FRESH_NAMESPACE();
        std::string why;
        ASSERT_TRUE(test::MakeNamespaceOnline(&why)) << why;
        ASSERT_TRUE(stateFolder.isValid());
        platform.emplace(linux_os::MakeLinuxPlatform(stateFolder.path().toStdString()));
        settings.emplace(home.ConfigHome());
        window = std::make_unique<FrmMain>(*platform, *settings);
        // This process owns the accepted ends: it is allowed, so that it never waits for an answer.
        ASSERT_NO_FATAL_FAILURE(AddRule(ownPath, true));
        listenerFd.Reset(listener6 = test::Listen(port6, test::Via::IPv6));
    }

    // A rule written the way the Applications page's buttons write it, which asks no question.
    void AddRule(const QString& path, bool allow)
    {
        RuleStore& rules = window->Rules();
        ASSERT_TRUE(rules.AddProgram(path, 0));
        rules.UpdatePrograms();
        const int16_t slot = rules.CheckProgramID(path);
        ASSERT_GT(slot, 0);
        ASSERT_TRUE(!allow || rules.SetProgramStatus(slot, 1));
        rules.UpdatePrograms();
        ASSERT_EQ(rules.Rule(slot).Blocked, !allow);
    }

    // A bash running `script` after opening a connection to the IPv6 listener as its descriptor 3, with
    // its own /dev/tcp so that bash alone owns the socket. Returns the accepted end.
    int RunBash(std::optional<test::ChildProcess>& bash, const std::string& script)
    {
        const std::string command = "exec 3<>/dev/tcp/::1/" + std::to_string(port6) + "; " + script;
        bash.emplace(
            [&] { ::execl("/bin/bash", "bash", "-c", command.c_str(), static_cast<char*>(nullptr)); });
        return test::Accept(listener6);
    }
};

TEST_F(FrmMainInNamespaceTest,
       AnUnknownProgramReachingOnlyIPv6LoopbackIsListedFrozenPromptedAndEndedWithoutADefaultRouteInNamespace)
{
    window->LoadWindow();
    std::optional<test::ChildProcess> bash;
    const int accepted = RunBash(bash, "read -r -t 60 -u 3 2>/dev/null");
    const QString expected = "bash (" + QString::number(test::PortOf(accepted, true)) + ")";
    QTreeWidget* list = window->Monitoring()->ListView1();
    ASSERT_TRUE(test::WaitUntil([&] { return FindRow(list, expected) && window->OpenPrompts() == 1; },
                                std::chrono::seconds(10)))
        << expected.toStdString();
    EXPECT_EQ(FindRow(list, expected)->text(1), "[::1]:" + QString::number(port6));
    EXPECT_TRUE(bash->WaitForState('T', 10000));
    EXPECT_EQ(window->CurrentProcessing(), QChar(1) + bashPath + QChar(1));
    // The accepted end is listed under this program, which has an allow rule; the listeners are not.
    const QString ownName = ownPath.mid(ownPath.lastIndexOf('/') + 1);
    EXPECT_NE(FindRow(list, ownName + " (" + QString::number(port6) + ")"), nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 2);

    // Ending a process is refused for this program and once the pid could name another process.
    const auto pid = static_cast<uint32_t>(bash->Pid());
    const auto self = static_cast<uint32_t>(::getpid());
    EXPECT_FALSE(platform->terminator->Terminate(pid, *platform->processes->StartTime(pid) + 1));
    EXPECT_FALSE(platform->terminator->Terminate(self, *platform->processes->StartTime(self)));
    // "Zatvor program" on its row ends it although it is stopped.
    window->Monitoring()->AskYesNo = [](const QString&) { return true; };
    QFocusEvent focus(QEvent::FocusIn); // the buttons wait for the list's focus
    QApplication::sendEvent(list, &focus);
    list->setCurrentItem(FindRow(list, expected));
    test::Click(window->Monitoring()->UserControl71()->Picture1());
    EXPECT_TRUE(bash->WaitForState('Z', 10000));
    EXPECT_TRUE(test::WaitUntil([&] { return PeerGone(accepted); }, std::chrono::seconds(10)));
    ::close(accepted);
}

TEST_F(FrmMainInNamespaceTest,
       TwoProcessesOfOneUnknownProgramAreHeldUntilTheAnswerAndAllowedOnceAfterInNamespace)
{
    window->LoadWindow();
    std::optional<test::ChildProcess> first, second;
    const UniqueFd accepted[] = {UniqueFd(RunBash(first, "read -r -t 60 -u 3 2>/dev/null")),
                                 UniqueFd(RunBash(second, "read -r -t 60 -u 3 2>/dev/null"))};
    ASSERT_TRUE(test::WaitUntil([&] { return first->State() == 'T' && second->State() == 'T'; },
                                std::chrono::seconds(10)));
    ASSERT_EQ(window->Prompts().Prompts().size(), 1u);
    frmAttempt* prompt = window->Prompts().Latest();
    prompt->ActionList()->setCurrentIndex(1); // "Allow program"
    prompt->Ok();
    EXPECT_TRUE(first->WaitForState('S', 10000) && second->WaitForState('S', 10000));
    // Later refreshes still list both connections: neither process is frozen or asked about again.
    window->RefreshList();
    test::RunEvents(std::chrono::milliseconds(1000));
    EXPECT_TRUE(first->State() == 'S' && second->State() == 'S' && window->OpenPrompts() == 0);
    EXPECT_FALSE(PeerGone(accepted[0].Get()) || PeerGone(accepted[1].Get()));
}

TEST_F(FrmMainInNamespaceTest,
       ABlockedProgramsConnectionAndConnectedUdpSocketAreDestroyedWithinTwoPollsInNamespace)
{
    ASSERT_NO_FATAL_FAILURE(AddRule(bashPath, false));
    window->LoadWindow();
    // A check is counted once it has run, so a count includes that check's work.
    const int checksBefore = window->ChangeChecks();
    const auto polls = [&] { return window->ChangeChecks() - checksBefore; };

    uint16_t udpPort = 0;
    const UniqueFd receiver(test::Listen(udpPort, test::Via::IPv4, SOCK_DGRAM));
    // Sends until the UDP socket fails, then waits on the connection: bash ends only once both are gone.
    std::optional<test::ChildProcess> bash;
    const int accepted = RunBash(
        bash, "exec 4<>/dev/udp/127.0.0.1/" + std::to_string(udpPort) +
                  "; while printf x >&4; do read -r -t 0.05 -u 3; done 2>/dev/null; read -r -t 60 -u 3");
    ASSERT_EQ(polls(), 0); // the event loop has not run since the connection was made
    std::optional<int> pollsWhenGone;
    test::WaitUntil(
        [&] {
            if (!pollsWhenGone && PeerGone(accepted))
                pollsWhenGone = polls();
            return pollsWhenGone.has_value() || polls() > 2;
        },
        std::chrono::seconds(10));
    ASSERT_TRUE(pollsWhenGone.has_value()) << "still connected after " << polls() << " checks";
    EXPECT_GE(*pollsWhenGone, 1);
    EXPECT_LE(*pollsWhenGone, 2);
    EXPECT_GE(window->Rules().Rule(window->Rules().CheckProgramID(bashPath)).Blocks, 1);
    EXPECT_EQ(window->OpenPrompts(), 0);
    EXPECT_TRUE(bash->WaitForState('Z', 10000));
    ::close(accepted);

    // Only the blocked program's sockets went: the listener and the bound UDP socket still take data.
    EXPECT_TRUE(test::CarriesData(listener6, port6, test::Via::IPv6));
    const UniqueFd sender(test::Connect(udpPort, nullptr, test::Via::IPv4, SOCK_DGRAM));
    char byte = 'y';
    ASSERT_EQ(::send(sender.Get(), &byte, 1, 0), 1);
    EXPECT_EQ(::recv(receiver.Get(), &byte, 1, 0), 1);
}

} // namespace
} // namespace qb
