// The main window put together on the fake platform: navigation, the switches, a refresh reaching the
// access decision and the prompt, the meter reaching its page; and the navigation and options views.
#include "base/settings_store.h"
#include "control/applications_page.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "controls/picture_box.h"
#include "controls/status.h"
#include "controls/user_control1.h"
#include "controls/user_control4.h"
#include "controls/user_control6.h"
#include "fakes/fake_platform.h"
#include "monitor/monitoring_page.h"
#include "shell/frm_main_window.h"
#include "shell/navigation_pane.h"
#include "shell/options_page.h"
#include "support/pointer.h"
#include "support/temp_home.h"
#include "support/wait_until.h"
#include "traffic/data_transfer_page.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace qb {
namespace {

TcpRow Established(uint32_t pid, uint16_t localPort)
{
    const auto stored = static_cast<uint32_t>(static_cast<uint16_t>(localPort << 8 | localPort >> 8));
    return TcpRow{5, TcpEndpoints::IPv4(0x0100007f, stored, 0x0200007f, 0x5000), pid};
}

class FrmMainTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::FakePlatform fake;
    SettingsStore settings{home.ConfigHome()};
    std::unique_ptr<FrmMain> window; // goes before the fakes, leaving no modal question open behind
    QStringList tips;

    void SetUp() override
    {
        fake.connectivity->state = {true, ConnectedState::kLan};
        window = std::make_unique<FrmMain>(fake.platform, settings);
        window->SetTrayTip = [this](const QString& tip) { tips << tip; };
        window->LoadWindow();
    }
};

TEST_F(FrmMainTest, EachNavigationEntryShowsExactlyItsPageAndChoosingApplicationsReloadsTheRules)
{
    EXPECT_EQ(window->VisiblePage(), window->DataTransfer());
    const int entries[] = {4, 2, 9, 3, 1}; // outside 1 to 4 nothing changes
    const QWidget* const pages[] = {window->Monitoring(), window->Options(), window->Options(),
                                    window->Applications(), window->DataTransfer()};
    for (int i = 0; i < 5; ++i) {
        emit window->Navigation()->FirewallEntry(entries[i]);
        EXPECT_EQ(window->VisiblePage(), pages[i]) << entries[i];
    }
    const auto rules = [this] { return window->Applications()->ListView2()->model()->rowCount(); };
    const int before = rules();
    ASSERT_TRUE(window->Rules().AddProgram("/usr/bin/wget", 0));
    EXPECT_EQ(rules(), before); // not reloaded by the add
    emit window->Navigation()->FirewallEntry(3);
    EXPECT_EQ(rules(), before + 1);

    // Back on the Data transfer page the meter catches up at once after its slow off-screen wait, but
    // never ticks again moments after an on-screen tick.
    window->show();
    for (const int away : {1, 2}) {
        window->ShowPage(away);
        window->MeterTick();
        window->ShowPage(1);
        EXPECT_EQ(window->tmrUpdate.interval(), away == 1 ? 100 : 0) << away;
    }
}

TEST_F(FrmMainTest, ARefreshListsConnectionsSetsTheTipAndPromptsForAnUnknownProgram)
{
    fake.processes->Add(40, "/usr/bin/curl");
    fake.threads->startOf[40] = 4000;
    fake.tcp->rows = {Established(40, 4096), Established(40, 4097)};
    window->CheckForChanges();

    QTreeWidget* list = window->Monitoring()->ListView1();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "curl (4096)");
    EXPECT_EQ(tips.back(), "Quillbrook Personal Firewall: Monitoring 2 connections");
    EXPECT_EQ(fake.threads->HoldsOn(40), 1);
    ASSERT_EQ(window->Prompts().Prompts().size(), 1u); // one prompt for both connections

    window.reset(); // the open prompt still releases its program
    EXPECT_EQ(fake.threads->HoldsOn(40), 0);
}

TEST_F(FrmMainTest, BlockAllTwiceRebuildsTwiceARefusedDeleteTurnsTheLightOffAndTheFirewallLabelToggles)
{
    fake.processes->Add(40, "/usr/bin/curl");
    fake.tcp->rows = {Established(40, 4096)};
    window->CheckForChanges();
    const qsizetype rebuilds = tips.size();
    fake.tcp->deleted.clear();
    fake.tcp->refuseDeletes = true; // no CAP_NET_ADMIN
    const QLabel* notice = window->Options()->lblPrivilege();
    EXPECT_FALSE(notice->isVisibleTo(window->Options()));

    emit window->UserControl61()->ButtonClick(1);
    EXPECT_TRUE(window->Pub_BlockAll() && window->Options()->Status1()->CurrentStatus() == 1);
    EXPECT_EQ(fake.tcp->deleted.size(), 1u);
    EXPECT_TRUE(window->Firewall_Enabled() && window->Options()->Status2()->CurrentStatus() == 0);
    EXPECT_TRUE(
        notice->isVisibleTo(window->Options()) && notice->text().contains("CAP_NET_ADMIN") &&
        notice->text().endsWith("setcap cap_net_admin+ep " + QCoreApplication::applicationFilePath()));
    emit window->UserControl61()->ButtonClick(1);
    emit window->UserControl61()->ButtonClick(2); // "Live Update": nothing
    EXPECT_TRUE(!window->Pub_BlockAll() && fake.tcp->deleted.size() == 1u && tips.size() == rebuilds + 2);
    fake.tcp->refuseDeletes = false;
    EXPECT_TRUE(window->Table().CloseConnection(0));
    EXPECT_FALSE(notice->isVisibleTo(window->Options()));
    // The firewall label toggles its switch and light.
    EXPECT_TRUE(window->Firewall_Enabled() && window->Options()->Status2()->CurrentStatus() == 1);
    emit window->Options()->FirewallClicked();
    EXPECT_TRUE(!window->Firewall_Enabled() && window->Options()->Status2()->CurrentStatus() == 0);
    EXPECT_EQ(window->Options()->lblFirewall()->text(), "Firewall disabled");
    EXPECT_TRUE(window->ToggleFirewall() == "Disable Firewall" && window->Firewall_Enabled());
}

// The table reaches the platform through the watch for refused deletions: the watch must not cost the
// table its cheap change check or its worker.
TEST_F(FrmMainTest, ThroughTheWatchStillCountersSkipFetchesAndARefusalMetOnTheWorkerReachesTheNotice)
{
    fake.tcp->threadSafe = true;
    fake.tcp->stamp = 1;
    fake.processes->Add(40, "/usr/bin/curl");
    fake.tcp->rows = {Established(40, 4096)};
    window->CheckForChanges();
    ASSERT_TRUE(test::WaitUntil([&] { return fake.tcp->fetches == 1 && !window->Table().FetchInFlight(); },
                                std::chrono::seconds(10)));
    window->CheckForChanges();
    EXPECT_FALSE(window->Table().FetchInFlight()); // the counters stood still: no fetch was started
    fake.tcp->refuseDeletes = true;
    emit window->UserControl61()->ButtonClick(1); // block all: the deletions run on the table's worker
    EXPECT_TRUE(
        test::WaitUntil([&] { return window->Options()->lblPrivilege()->isVisibleTo(window->Options()); },
                        std::chrono::seconds(10)));
}

TEST_F(FrmMainTest, GoingOfflineShowsThePanelAndStopsFetching)
{
    window->NotOnline(false);
    const int fetches = fake.tcp->fetches;
    const QWidget* panel = window->Monitoring()->Picture4();
    window->NotOnline(false);
    EXPECT_TRUE(panel->isVisibleTo(window->Monitoring()) && fake.tcp->fetches == fetches);
    window->NotOnline(true);
    EXPECT_TRUE(!panel->isVisibleTo(window->Monitoring()) && fake.tcp->fetches == fetches + 1);
}

TEST(NavigationPaneTest, StartsWithFirewallOpenAndHeadersOpenOneSectionAtATimeOtherStatesOnlyCloseTheOther)
{
    NavigationPane pane;
    pane.show();
    UserControl1* firewall = pane.UserControl11();
    UserControl4* firewallStrip = pane.UserControl41();
    UserControl1* help = pane.UserControl12();
    UserControl4* helpStrip = pane.UserControl42();
    // Only `open`'s strip shows, hanging from its header (same left edge, widened by 13 pixels), and Help
    // sits five pixels below whatever is above it.
    const auto expectOpen = [&](const UserControl4* open) {
        for (const auto& [header, strip] : {std::pair{firewall, firewallStrip}, std::pair{help, helpStrip}}) {
            EXPECT_TRUE(header->CurrentState() == (open == strip ? 1 : 0) &&
                        strip->isVisible() == (open == strip));
            if (open == strip) {
                EXPECT_EQ(strip->geometry(), QRect(header->x(), header->geometry().bottom() + 1,
                                                   header->width() + 13, strip->height()));
            }
        }
        const QWidget* aboveHelp = open == firewallStrip ? static_cast<QWidget*>(firewallStrip) : firewall;
        EXPECT_EQ(help->y(), aboveHelp->geometry().bottom() + 1 + 5);
    };
    expectOpen(firewallStrip);
    test::Click(firewallStrip->Picture2(2));
    test::Click(help->Picture1());
    expectOpen(helpStrip);
    EXPECT_EQ(firewallStrip->SelectedEntry(), -1);
    test::Click(help->Picture1());
    expectOpen(nullptr);
    test::Click(help->Picture1());
    test::Click(helpStrip->Picture2(2));
    test::Click(firewall->Picture1());
    expectOpen(firewallStrip);
    EXPECT_EQ(helpStrip->SelectedEntry(), -1);
    test::Click(firewall->Picture1());
    expectOpen(nullptr);
    pane.HelpHeaderClicked(1);
    const int helpTop = help->y();
    pane.FirewallHeaderClicked(2);
    EXPECT_TRUE(!helpStrip->isVisible() && !firewallStrip->isVisible() && help->y() == helpTop);
    pane.HelpHeaderClicked(7);
    EXPECT_TRUE(!helpStrip->isVisible() && help->y() == firewall->geometry().bottom() + 1 + 5);
}

TEST(NavigationPaneStackingTest, BringStripsToFrontRaisesThePaneOverASiblingThatCoversIt)
{
    QWidget window;
    auto* pane = new NavigationPane(&window);
    auto* page = new QWidget(&window);
    page->setGeometry(0, 0, 400, 400); // created later, so stacked above the pane
    ASSERT_EQ(window.children().back(), page);
    pane->BringStripsToFront();
    EXPECT_EQ(window.children().back(), pane);
    // Within the pane, both strips lie above the headers.
    const QObjectList order = pane->children();
    const qsizetype lowestStrip =
        std::min(order.indexOf(pane->UserControl41()), order.indexOf(pane->UserControl42()));
    EXPECT_GT(lowestStrip,
              std::max(order.indexOf(pane->UserControl11()), order.indexOf(pane->UserControl12())));
}

TEST(OptionsPageTest, OnlyALeftClickReleasedOnASwitchLabelReportsThatSwitch)
{
    OptionsPage page;
    page.show();
    std::vector<std::string> clicks;
    QObject::connect(&page, &OptionsPage::BlockAllClicked, [&] { clicks.push_back("block all"); });
    QObject::connect(&page, &OptionsPage::FirewallClicked, [&] { clicks.push_back("firewall"); });
    QLabel* label = page.lblBlockAll();
    test::Press(label, QPointF(label->width() - 2, label->height() - 2)); // far from its text
    test::Release(label, QPointF(label->width() - 2, label->height() - 2));
    test::Click(page.lblFirewall());
    label = page.lblFirewall();
    test::Press(label, test::Centre(label), Qt::RightButton);
    test::Release(label, test::Centre(label), Qt::RightButton);
    test::Press(label, test::Centre(label));
    test::Release(label, QPointF(label->width() + 40, 5)); // dragged off before letting go
    EXPECT_EQ(clicks, (std::vector<std::string>{"block all", "firewall"}));
}

TEST(OptionsPageTest, TrafficLabelsAndTheNoticeAreShownAsPlainTextTheCommandQuotedForTheShell)
{
    OptionsPage page;
    page.ShowTrafficLabels({.Label16 = "Connection: Ethernet",
                            .Label10 = "Received: <i>1.5 MB</i>",
                            .Label11 = "Sent: 12\n KB"});
    page.ShowDeletionsRefused(true, "/home/a b/it's\n");
    EXPECT_EQ((QStringList{page.Label16()->text(), page.Label10()->text(), page.Label11()->text()}),
              (QStringList{"Connection: Ethernet", "Received: <i>1.5 MB</i>", "Sent: 12\\x0A KB"}));
    EXPECT_TRUE(
        page.lblPrivilege()->text().endsWith("\nsudo setcap cap_net_admin+ep '/home/a b/it'\\''s\\x0A'"));
    for (const QLabel* label : {page.Label16(), page.Label10(), page.Label11(), page.lblPrivilege()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

} // namespace
} // namespace qb
