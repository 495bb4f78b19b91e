#include "controls/page_geometry.h"
#include "controls/picture_box.h"
#include "controls/user_control1.h"
#include "controls/user_control4.h"
#include "shell/navigation_pane.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb {
namespace {

class NavigationPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pane.show();
        QObject::connect(&pane, &NavigationPane::FirewallEntry,
                         [this](int entry) { firewallEntries.push_back(entry); });
        QObject::connect(&pane, &NavigationPane::HelpEntry,
                         [this](int entry) { helpEntries.push_back(entry); });
    }

    // A header is pressed and released with the pointer over it.
    static void ClickHeader(UserControl1* header)
    {
        test::Hover(header->Picture1());
        test::Click(header->Picture1());
        test::Leave(header->Picture1());
    }
    static void ClickEntry(UserControl4* strip, int entry)
    {
        test::Hover(strip->Picture2(entry));
        test::Click(strip->Picture2(entry));
        test::Leave(strip->Picture2(entry));
    }
    int HeaderBottom(const UserControl1* header) const { return header->y() + header->height(); }
    // The strip hangs from the header: same left edge, top at the header's bottom, widened by 13 pixels.
    void ExpectUnder(const UserControl4* strip, const UserControl1* header) const
    {
        EXPECT_TRUE(strip->isVisible());
        EXPECT_EQ(strip->x(), header->x());
        EXPECT_EQ(strip->y(), HeaderBottom(header));
        EXPECT_EQ(strip->width(), header->width() + 13);
    }

    NavigationPane pane;
    UserControl1* firewall = pane.UserControl11();
    UserControl4* firewallStrip = pane.UserControl41();
    UserControl1* help = pane.UserControl12();
    UserControl4* helpStrip = pane.UserControl42();
    std::vector<int> firewallEntries;
    std::vector<int> helpEntries;
};

TEST_F(NavigationPaneTest, StartsWithFirewallOpenAndHelpClosedFivePixelsBelowTheStrip)
{
    EXPECT_EQ(pane.size(), kNavigationSize);
    EXPECT_EQ(firewall->Caption(), QStringLiteral("Firewall"));
    EXPECT_EQ(help->Caption(), QStringLiteral("Help"));
    EXPECT_EQ(firewall->CurrentState(), 1);
    EXPECT_EQ(help->CurrentState(), 0);
    ExpectUnder(firewallStrip, firewall);
    EXPECT_EQ(help->y(), firewallStrip->y() + firewallStrip->height() + 5);
    EXPECT_EQ(help->x(), firewall->x());
    EXPECT_FALSE(helpStrip->isVisible());
}

TEST_F(NavigationPaneTest, StripsCarryTheirEntriesAndReachTheColumnsEdge)
{
    const auto entryCaptions = [](const UserControl4* strip) {
        QStringList captions;
        for (int i = 1; i <= strip->EntryCount(); ++i)
            captions << strip->Picture2(i)->property("Tag").toString();
        return captions;
    };
    EXPECT_EQ(entryCaptions(firewallStrip),
              (QStringList{"Data transfer", "Options", "Applications", "Monitoring"}));
    EXPECT_EQ(entryCaptions(helpStrip), (QStringList{"Help topics", "Visit homepage", "About"}));
    EXPECT_EQ(firewallStrip->x() + firewallStrip->width(), pane.width());
}

TEST_F(NavigationPaneTest, OpeningHelpClosesFirewallAndMovesHelpUnderTheFirewallHeader)
{
    ClickEntry(firewallStrip, 2);
    ClickHeader(help);
    EXPECT_EQ(help->CurrentState(), 1);
    EXPECT_EQ(firewall->CurrentState(), 0);
    EXPECT_EQ(firewallStrip->SelectedEntry(), -1);
    EXPECT_FALSE(firewallStrip->isVisible());
    EXPECT_EQ(help->y(), HeaderBottom(firewall) + 5);
    ExpectUnder(helpStrip, help);
    // Closing it again leaves both sections closed.
    ClickHeader(help);
    EXPECT_EQ(help->CurrentState(), 0);
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_FALSE(firewallStrip->isVisible());
    EXPECT_EQ(help->y(), HeaderBottom(firewall) + 5);
}

TEST_F(NavigationPaneTest, ClosingFirewallMovesHelpUpUnderTheFirewallHeader)
{
    ClickHeader(firewall);
    EXPECT_EQ(firewall->CurrentState(), 0);
    EXPECT_FALSE(firewallStrip->isVisible());
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_EQ(help->y(), HeaderBottom(firewall) + 5);
}

TEST_F(NavigationPaneTest, ReopeningFirewallClosesHelpAndPutsItBelowTheStripAgain)
{
    ClickHeader(help);
    ClickEntry(helpStrip, 2);
    ClickHeader(firewall);
    EXPECT_EQ(firewall->CurrentState(), 1);
    EXPECT_EQ(help->CurrentState(), 0);
    EXPECT_EQ(helpStrip->SelectedEntry(), -1);
    EXPECT_FALSE(helpStrip->isVisible());
    ExpectUnder(firewallStrip, firewall);
    EXPECT_EQ(help->y(), firewallStrip->y() + firewallStrip->height() + 5);
}

TEST_F(NavigationPaneTest, AStateOtherThanOpenOrClosedOnlyClosesTheOtherSection)
{
    pane.HelpHeaderClicked(1);
    const int helpTop = help->y();
    pane.FirewallHeaderClicked(2);
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_FALSE(firewallStrip->isVisible());
    EXPECT_EQ(help->y(), helpTop);
    pane.HelpHeaderClicked(7);
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_EQ(help->y(), HeaderBottom(firewall) + 5);
}

TEST_F(NavigationPaneTest, FirewallEntriesAreReportedWithTheirNumbers)
{
    for (int entry : {4, 1, 3, 2})
        ClickEntry(firewallStrip, entry);
    EXPECT_EQ(firewallEntries, (std::vector<int>{4, 1, 3, 2}));
    EXPECT_EQ(firewallStrip->SelectedEntry(), 2);
    EXPECT_TRUE(helpEntries.empty());
}

TEST_F(NavigationPaneTest, HelpEntriesAreReportedWithTheirNumbers)
{
    ClickHeader(help);
    for (int entry : {1, 2, 3})
        ClickEntry(helpStrip, entry);
    EXPECT_EQ(helpEntries, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(firewallEntries.empty());
}

TEST_F(NavigationPaneTest, ChoosingTheChosenEntryAgainReportsItAgain)
{
    ClickEntry(firewallStrip, 3);
    ClickEntry(firewallStrip, 3);
    EXPECT_EQ(firewallEntries, (std::vector<int>{3, 3}));
    EXPECT_EQ(firewallStrip->SelectedEntry(), 3);
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
    for (QObject* header :
         {static_cast<QObject*>(pane->UserControl11()), static_cast<QObject*>(pane->UserControl12())}) {
        EXPECT_GT(order.indexOf(pane->UserControl41()), order.indexOf(header));
        EXPECT_GT(order.indexOf(pane->UserControl42()), order.indexOf(header));
    }
}

} // namespace
} // namespace qb
