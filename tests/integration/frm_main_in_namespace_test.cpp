// The main window on the real platform inside a private network namespace: a child's connection reaches
// the Monitoring list under its program's name, every process of an unknown program is held until its
// prompt is answered, and a blocked program's connection is reset by the polls while the listener it
// reached keeps working.
#include "base/settings_store.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "integration/loopback.h"
#include "monitor/monitoring_page.h"
#include "platform/linux/linux_platform.h"
#include "platform/unique_fd.h"
#include "shell/frm_main_window.h"
#include "support/net_namespace.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QComboBox>
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
    int listener = -1;
    uint16_t port = 0;

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
        listenerFd.Reset(listener = test::Listen(port));
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

    // A bash that opens a connection to the listener through its own /dev/tcp and waits on it with a
    // builtin, so that bash alone owns the socket; it ends when the connection goes. Returns the
    // accepted end.
    int ConnectBash(std::optional<test::ChildProcess>& bash)
    {
        const std::string script =
            "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(port) + "; read -r -t 60 -u 3 2>/dev/null";
        bash.emplace(
            [&] { ::execl("/bin/bash", "bash", "-c", script.c_str(), static_cast<char*>(nullptr)); });
        return test::Accept(listener);
    }
};

TEST_F(FrmMainInNamespaceTest, AChildsConnectionIsListedUnderItsProgramsNameInNamespace)
{
    ASSERT_NO_FATAL_FAILURE(AddRule(bashPath, true));
    window->LoadWindow();
    std::optional<test::ChildProcess> bash;
    const int accepted = ConnectBash(bash);
    const QString expected = "bash (" + QString::number(test::PortOf(accepted, true)) + ")";
    QTreeWidget* list = window->Monitoring()->ListView1();
    ASSERT_TRUE(test::WaitUntil([&] { return FindRow(list, expected) != nullptr; }, std::chrono::seconds(10)))
        << expected.toStdString();

    const QTreeWidgetItem* row = FindRow(list, expected);
    EXPECT_EQ(row->text(1), "127.0.0.1:" + QString::number(port));
    // The accepted end is listed under this program; the listener is not listed.
    const QString ownName = ownPath.mid(ownPath.lastIndexOf('/') + 1);
    EXPECT_NE(FindRow(list, ownName + " (" + QString::number(port) + ")"), nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 2);
    // Both programs have an allow rule: nothing is pending, nothing was frozen, the child still talks.
    EXPECT_EQ(window->OpenPrompts(), 0);
    EXPECT_TRUE(window->CurrentProcessing().isEmpty());
    EXPECT_FALSE(PeerGone(accepted));
    EXPECT_NE(bash->State(), 'T');
    ::close(accepted);
}

TEST_F(FrmMainInNamespaceTest,
       TwoProcessesOfOneUnknownProgramAreHeldUntilTheAnswerAndAllowedOnceAfterInNamespace)
{
    window->LoadWindow();
    std::optional<test::ChildProcess> first, second;
    const UniqueFd accepted[] = {UniqueFd(ConnectBash(first)), UniqueFd(ConnectBash(second))};
    ASSERT_TRUE(test::WaitUntil([&] { return first->State() == 'T' && second->State() == 'T'; },
                                std::chrono::seconds(10)));
    ASSERT_EQ(window->Prompts().Prompts().size(), 1u);
    frmAttempt* prompt = window->Prompts().Latest();
    prompt->ActionList()->setCurrentIndex(1); // "Allow program"
    prompt->Ok();
    EXPECT_TRUE(first->WaitForState('S', 10000) && second->WaitForState('S', 10000));
    // Later polls still list both connections: neither process is frozen or asked about again.
    test::RunEvents(std::chrono::milliseconds(1000));
    EXPECT_TRUE(first->State() == 'S' && second->State() == 'S' && window->OpenPrompts() == 0);
    EXPECT_FALSE(PeerGone(accepted[0].Get()) || PeerGone(accepted[1].Get()));
}

TEST_F(FrmMainInNamespaceTest, ABlockedProgramsConnectionIsResetWithinTwoPollsInNamespace)
{
    ASSERT_NO_FATAL_FAILURE(AddRule(bashPath, false));
    window->LoadWindow();
    // Counted after the window's own handler, so a count includes that poll's work.
    int polls = 0;
    QObject counting;
    QObject::connect(&window->Timer1, &QTimer::timeout, &counting, [&] { ++polls; });

    std::optional<test::ChildProcess> bash;
    const int accepted = ConnectBash(bash);
    ASSERT_EQ(polls, 0); // the event loop has not run since the connection was made
    std::optional<int> pollsWhenGone;
    test::WaitUntil(
        [&] {
            if (!pollsWhenGone && PeerGone(accepted))
                pollsWhenGone = polls;
            return pollsWhenGone.has_value() || polls > 2;
        },
        std::chrono::seconds(10));
    ASSERT_TRUE(pollsWhenGone.has_value()) << "still connected after " << polls << " polls";
    EXPECT_GE(*pollsWhenGone, 1);
    EXPECT_LE(*pollsWhenGone, 2);
    EXPECT_GE(window->Rules().Rule(window->Rules().CheckProgramID(bashPath)).Blocks, 1);
    EXPECT_EQ(window->OpenPrompts(), 0);
    // The reset ends the child's read, so bash exits on its own.
    EXPECT_TRUE(bash->WaitForState('Z', 10000));
    ::close(accepted);

    // Only the blocked program's connection went: the listener still accepts and carries data.
    EXPECT_TRUE(test::CarriesData(listener, port));
}

} // namespace
} // namespace qb
