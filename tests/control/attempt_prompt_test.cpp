#include "base/program_icons_gui.h"
#include "base/red_icon.h"
#include "control/control_world.h"
#include "control/frm_attempt_window.h"
#include "control/prompt_list_window.h"
#include "fakes/fake_host_names.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPointer>

#include <optional>

namespace qb {
namespace {

using namespace std::chrono_literals;

// Prompts open the way the main window opens them: a window of their own per pending program.
class AttemptPromptTest : public ::testing::Test, protected test::ControlWorld {
protected:
    AttemptPromptTest()
        : icons({home.Path() + "/apps"}), prompts({access, table, source, *rules, iphDNS, icons})
    {
        QIcon::setThemeSearchPaths({"/usr/share/icons"});
        QIcon::setThemeName("Adwaita");
        access.OpenPrompt = [this](const std::string& path, int16_t index) { prompts.Open(path, index); };
    }
    ~AttemptPromptTest() override { DeleteClosed(); }

    // "/usr/bin/curl", pid 100, in slot 4, now frozen and prompted.
    frmAttempt* Curl()
    {
        curlConnection = Connect(4, 100);
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", 4));
        return prompts.Latest();
    }
    static void Choose(frmAttempt* prompt, int position)
    {
        prompt->ActionList()->setCurrentIndex(position);
        prompt->Ok();
    }
    static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TcpEndpoints curlConnection;
    test::FakeHostNames iphDNS;
    ProgramIcons icons;
    PromptList prompts;
};

struct OkCase {
    int position; // in the action list; -1: no choice
    bool answer;  // to the question before an allow rule is stored
    bool closesConnection;
    std::optional<QString> storedStatus;
};

class OkChoiceTest : public AttemptPromptTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkChoiceTest, OkActsOnTheConnectionAndTheStoreThenReloadsReleasesAndCloses)
{
    const OkCase& c = GetParam();
    answer = c.answer;
    int refreshes = 0;
    access.RefreshList = [&] { ++refreshes; };
    QPointer<frmAttempt> prompt = Curl();
    Choose(prompt, c.position);
    // Blocked once or for good: the program's other connections are looked at again at once.
    EXPECT_EQ(refreshes, c.position <= 0 || c.position == 2 ? 1 : 0); // no choice blocks once

    EXPECT_EQ(source.deleted, c.closesConnection ? std::vector{curlConnection} : std::vector<TcpEndpoints>{});
    EXPECT_EQ(OnDisk("Status1"), c.storedStatus.value_or("<absent>"));
    // Both lists were reloaded before the prompt ended: the new rule is a row of its own.
    EXPECT_EQ(model.rowCount(), c.storedStatus ? 1 : 0);
    EXPECT_FALSE(Frozen(100));
    EXPECT_EQ(access.CurrentProcessing(), "");
    DeleteClosed();
    EXPECT_TRUE(prompt.isNull());
    EXPECT_TRUE(prompts.Prompts().empty());
}

std::string CaseName(const ::testing::TestParamInfo<OkCase>& info)
{
    const char* names[] = {"None", "Block", "Allow", "AllwaysBlock", "AllwaysAllow"};
    return std::string(names[info.param.position + 1]) + (info.param.answer ? "" : "Declined");
}

INSTANTIATE_TEST_SUITE_P(
    EveryChoice, OkChoiceTest,
    ::testing::Values(OkCase{-1, true, true, std::nullopt}, OkCase{0, true, true, std::nullopt},
                      OkCase{1, true, false, std::nullopt}, OkCase{2, true, true, QString("0")},
                      OkCase{3, true, false, QString("1")}, OkCase{3, false, false, std::nullopt}),
    CaseName);

TEST_F(AttemptPromptTest, OnceOnlyAnswersHoldForTheProcessesAskedAboutThroughChurnUntilEachExits)
{
    int refreshes = 0;
    access.RefreshList = [&] { ++refreshes; };
    Connect(0, 100);
    Connect(1, 101);
    access.CheckPrograms("/usr/bin/curl", 0);
    access.CheckPrograms("/usr/bin/curl", 1); // a second process of the pending program, held as well
    EXPECT_TRUE(Frozen(100) && Frozen(101));
    Choose(prompts.Latest(), 1); // "Allow program"
    Connect(2, 200, "8.8.8.8", 53);
    access.CheckPrograms("/usr/bin/wget", 2);
    Choose(prompts.Latest(), 0); // "Block program": its other connections go at once
    EXPECT_EQ(refreshes, 1);
    // Refreshes in which the slots shift and the processes open new connections.
    const uint32_t pids[] = {100, 101, 200};
    for (int refresh = 0; refresh < 4; ++refresh) {
        for (int16_t slot = 0; slot < 3; ++slot) {
            const uint32_t pid = pids[(slot + refresh) % 3];
            Connect(slot, pid, "93.184.216.34", 80, static_cast<uint16_t>(41000 + refresh * 3 + slot));
            EXPECT_EQ(access.CheckPrograms(pid == 200 ? "/usr/bin/wget" : "/usr/bin/curl", slot), pid == 200);
        }
        access.RefreshFinished();
    }
    EXPECT_FALSE(Frozen(100) || Frozen(101) || Frozen(200));
    access.SetFirewallEnabled(false);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/wget", 2)); // blocked like a rule: not while disabled

    // A new process under an answered pid, and an answered process now running another program, are
    // asked anew; the old prompts going away does not release them.
    threads.startOf[101] = 5;
    access.CheckPrograms("/usr/bin/curl", 1);
    access.CheckPrograms("/usr/bin/other", 0);
    access.RefreshFinished();
    DeleteClosed();
    EXPECT_EQ(prompts.Prompts().size(), 2u);
    EXPECT_TRUE(Frozen(101) && Frozen(100));
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", 0)); // still allowed as curl
}

TEST_F(AttemptPromptTest, OkActsOnTheCopiedConnectionAfterTheSlotWasReusedAndTheCloseBoxOnlyReleases)
{
    frmAttempt* curl = Curl();
    // A later refresh puts another program's connection into the same slot, and that one is pending too.
    Connect(4, 200, "8.8.8.8", 53, 40999);
    access.CheckPrograms("/usr/bin/dig", 4);
    ASSERT_EQ(prompts.Prompts().size(), 2u);
    frmAttempt* dig = prompts.Latest();

    Choose(curl, 0);
    EXPECT_EQ(source.deleted, std::vector{curlConnection});
    EXPECT_FALSE(Frozen(100));
    EXPECT_TRUE(Frozen(200));
    EXPECT_EQ(access.CurrentProcessing(), QString("\x01/usr/bin/dig\x01"));

    dig->ActionList()->setCurrentIndex(2); // chosen but not confirmed
    dig->close();
    EXPECT_FALSE(Frozen(200));
    EXPECT_EQ(access.CurrentProcessing(), "");
    dig->Ok(); // an ended prompt does nothing more
    EXPECT_EQ(source.deleted.size(), 1u);
    EXPECT_EQ(OnDisk("ProgramCount"), "<absent>");
}

TEST_F(AttemptPromptTest, APromptForASlotOutsideTheTableDeletesNothing)
{
    Choose(prompts.Open("/usr/bin/curl", -1), 0);
    EXPECT_TRUE(source.deleted.empty());
}

TEST_F(AttemptPromptTest, APromptIsAnOnTopWindowOfItsOwnWhoseHostNameAndIconFillInWhenTheyArrive)
{
    test::WriteRedIconEntry(home.Path(), "/usr/bin/curl");
    frmAttempt* prompt = Curl();
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_EQ(prompt->parentWidget(), nullptr);
    EXPECT_TRUE(prompt->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(prompt->ActionList()->currentIndex(), -1);
    EXPECT_EQ(prompt->DetailLines(),
              QStringList({"Program: curl", "Path: /usr/bin/curl", "Local Port: 40000", "Remote Port: 80",
                           "Remote Host: 93.184.216.34 (93.184.216.34)"}));
    ASSERT_TRUE(iphDNS.Release("93.184.216.34", "example.com"));
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (example.com)");

    EXPECT_NE(test::PixmapCentre(prompt->Icon()->pixmap()), QColor(Qt::red)); // the generic icon meanwhile
    ASSERT_TRUE(
        test::WaitUntil([&] { return test::PixmapCentre(prompt->Icon()->pixmap()) == QColor(Qt::red); }, 5s));

    // A UDP socket to an IPv6 address: ports marked, the address in RFC 5952 text.
    Connect(5, 200);
    table.Connections[5].Protocol = Transport::Udp;
    table.Connections[5].RemoteAddr = IpAddress::FromIPv6("\x20\x01\x0d\xb8\0\0\0\0\0\0\0\0\0\0\0\x01");
    access.CheckPrograms("/usr/bin/dig", 5);
    EXPECT_EQ(prompts.Latest()->DetailLines().mid(2),
              QStringList({"Local Port: 40000/UDP", "Remote Port: 80/UDP",
                           "Remote Host: 2001:db8::1 (2001:db8::1)"}));
}

TEST_F(AttemptPromptTest, OutsideTextIsPlainWithControlCharactersEscaped)
{
    Connect(4, 100);
    access.CheckPrograms("/tmp/<b>x\nRemote Port: 1", 4);
    iphDNS.Release("93.184.216.34", "<i>evil</i>\r");
    const frmAttempt* prompt = prompts.Latest();
    EXPECT_EQ(prompt->DetailLines()[0], "Program: <b>x\\x0ARemote Port: 1");
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (<i>evil</i>\\x0D)");
    for (const QLabel* label : prompt->findChildren<QLabel*>()) {
        if (label != prompt->Icon()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

} // namespace
} // namespace qb
