// The main window put together on the fake platform: navigation, the switches, a refresh reaching the
// access decision and the prompt, the meter reaching its page.
#include "base/settings_store.h"
#include "control/applications_page.h"
#include "control/prompt_list_window.h"
#include "control/rule_store.h"
#include "controls/status.h"
#include "controls/user_control6.h"
#include "fakes/fake_platform.h"
#include "monitor/monitoring_page.h"
#include "shell/frm_main_window.h"
#include "shell/navigation_pane.h"
#include "shell/options_page.h"
#include "support/temp_home.h"
#include "traffic/data_transfer_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>

namespace qb {
namespace {

TcpRow Established(uint32_t pid, uint16_t localPort)
{
    const auto stored = static_cast<uint32_t>(static_cast<uint16_t>(localPort << 8 | localPort >> 8));
    return TcpRow{5, 0x0100007f, stored, 0x0200007f, 0x5000, pid};
}

class FrmMainTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::FakePlatform fake;
    SettingsStore settings{home.ConfigHome()};
    std::unique_ptr<FrmMain> window;
    QStringList tips;

    void SetUp() override
    {
        fake.connectivity->state = {true, ConnectedState::kLan};
        InterfaceRow lo;
        lo.name = lo.description = "lo";
        lo.type = 24;
        fake.interfaces->table.rows = {lo};
        window = std::make_unique<FrmMain>(fake.platform, settings);
        window->SetTrayTip = [this](const QString& tip) { tips << tip; };
        window->LoadWindow();
    }
    void TearDown() override
    {
        // Leave no modal question open behind: the window goes before the fakes.
        window.reset();
    }
};

TEST_F(FrmMainTest, EachNavigationEntryLeavesExactlyItsPageVisible)
{
    EXPECT_EQ(window->VisiblePage(), window->DataTransfer());
    emit window->Navigation()->FirewallEntry(4);
    EXPECT_EQ(window->VisiblePage(), window->Monitoring());
    emit window->Navigation()->FirewallEntry(2);
    EXPECT_EQ(window->VisiblePage(), window->Options());
    emit window->Navigation()->FirewallEntry(9); // outside 1..4: nothing changes
    EXPECT_EQ(window->VisiblePage(), window->Options());
    emit window->Navigation()->FirewallEntry(1);
    EXPECT_EQ(window->VisiblePage(), window->DataTransfer());
    EXPECT_EQ(window->Monitoring()->geometry(), window->DataTransfer()->geometry());
}

TEST_F(FrmMainTest, ChoosingApplicationsReloadsTheRulesEvenWhenShown)
{
    emit window->Navigation()->FirewallEntry(3);
    const int before = window->Applications()->ListView2()->model()->rowCount();
    ASSERT_TRUE(window->Rules().AddProgram("/usr/bin/wget", 0));
    EXPECT_EQ(window->Applications()->ListView2()->model()->rowCount(), before); // not reloaded by the add
    emit window->Navigation()->FirewallEntry(3);
    EXPECT_EQ(window->Applications()->ListView2()->model()->rowCount(), before + 1);
}

TEST_F(FrmMainTest, ARefreshListsConnectionsSetsTheTipAndPromptsForAnUnknownProgram)
{
    fake.processes->Add(40, "/usr/bin/curl");
    fake.threads->threadsOf[40] = {40, 41};
    fake.tcp->rows = {Established(40, 4096), Established(40, 4097)};
    window->NotOnline(true);

    QTreeWidget* list = window->Monitoring()->ListView1();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "curl (4096)");
    EXPECT_EQ(tips.back(), "Quillbrook Personal Firewall: Monitoring 2 connections");
    EXPECT_FALSE(fake.threads->Running(40));
    ASSERT_EQ(window->Prompts().Prompts().size(), 1u); // one prompt for both connections
    EXPECT_EQ(window->CurrentProcessing(), QString("\x01/usr/bin/curl\x01"));

    window.reset(); // the open prompt still releases its program
    EXPECT_TRUE(fake.threads->Running(40));
}

TEST_F(FrmMainTest, BlockAllTwiceFromTheToolbarRebuildsTwiceAndEndsOff)
{
    fake.processes->Add(40, "/usr/bin/curl");
    fake.tcp->rows = {Established(40, 4096)};
    window->NotOnline(true);
    const qsizetype rebuilds = tips.size();
    fake.tcp->deleted.clear();

    emit window->UserControl61()->ButtonClick(1);
    EXPECT_TRUE(window->Pub_BlockAll());
    EXPECT_EQ(fake.tcp->deleted.size(), 1u);
    EXPECT_EQ(window->Options()->Status1()->CurrentStatus(), 1);
    emit window->UserControl61()->ButtonClick(1);
    EXPECT_FALSE(window->Pub_BlockAll());
    EXPECT_EQ(fake.tcp->deleted.size(), 1u);
    EXPECT_EQ(tips.size(), rebuilds + 2);
    emit window->UserControl61()->ButtonClick(2); // "Live Update": nothing
    EXPECT_FALSE(window->Pub_BlockAll());
}

TEST_F(FrmMainTest, TheFirewallLabelTogglesTheSwitchAndItsStatusLight)
{
    EXPECT_TRUE(window->Firewall_Enabled());
    EXPECT_EQ(window->Options()->Status2()->CurrentStatus(), 1);
    emit window->Options()->FirewallClicked();
    EXPECT_FALSE(window->Firewall_Enabled());
    EXPECT_EQ(window->Options()->Status2()->CurrentStatus(), 0);
    EXPECT_EQ(window->Options()->lblFirewall()->text(), "Firewall disabled");
    EXPECT_EQ(window->ToggleFirewall(), "Disable Firewall");
    EXPECT_TRUE(window->Firewall_Enabled());
}

TEST_F(FrmMainTest, GoingOfflineShowsThePanelAndStopsFetching)
{
    window->NotOnline(false);
    const int fetches = fake.tcp->fetches;
    EXPECT_TRUE(window->Monitoring()->Picture4()->isVisibleTo(window->Monitoring()));
    window->NotOnline(false);
    EXPECT_EQ(fake.tcp->fetches, fetches);
    window->NotOnline(true);
    EXPECT_FALSE(window->Monitoring()->Picture4()->isVisibleTo(window->Monitoring()));
    EXPECT_EQ(fake.tcp->fetches, fetches + 1);
}

TEST_F(FrmMainTest, MeterTicksReachTheDataTransferAndOptionsPages)
{
    window->MeterTick();
    fake.interfaces->table.rows[0].octetsReceived = 4096;
    window->MeterTick();
    window->ActivityTick();
    EXPECT_EQ(window->DataTransfer()->lblRecv()->text(), "4 KB");
    EXPECT_EQ(window->Options()->Label16()->text(), "Connection: Loopback");
    EXPECT_EQ(window->Options()->Label10()->text(), "Received: 4 KB");
    EXPECT_EQ(window->DataTransfer()->cboConnectionType()->count(), 1);
}

} // namespace
} // namespace qb
