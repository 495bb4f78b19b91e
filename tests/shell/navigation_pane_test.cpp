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
                         [this](int entry) { entries.push_back(entry); });
        QObject::connect(&pane, &NavigationPane::HelpEntry, [this](int entry) { entries.push_back(-entry); });
    }
    // A header or an entry is pressed and released with the pointer over it.
    static void ClickOn(QWidget* target)
    {
        test::Hover(target);
        test::Click(target);
        test::Leave(target);
    }
    // Only `open`'s strip shows, hanging from its header (same left edge, widened by 13 pixels), and Help
    // sits five pixels below whatever is above it.
    void ExpectOpen(const UserControl4* open)
    {
        for (const auto& [header, strip] : {std::pair{firewall, firewallStrip}, std::pair{help, helpStrip}}) {
            EXPECT_EQ(header->CurrentState(), open == strip ? 1 : 0);
            EXPECT_EQ(strip->isVisible(), open == strip);
            if (open == strip) {
                EXPECT_EQ(strip->geometry(), QRect(header->x(), header->geometry().bottom() + 1,
                                                   header->width() + 13, strip->height()));
            }
        }
        const QWidget* aboveHelp = open == firewallStrip ? static_cast<QWidget*>(firewallStrip) : firewall;
        EXPECT_EQ(help->y(), aboveHelp->geometry().bottom() + 1 + 5);
    }

    NavigationPane pane;
    UserControl1* firewall = pane.UserControl11();
    UserControl4* firewallStrip = pane.UserControl41();
    UserControl1* help = pane.UserControl12();
    UserControl4* helpStrip = pane.UserControl42();
    std::vector<int> entries; // Firewall entries, and Help entries negated
};

TEST_F(NavigationPaneTest, StartsWithFirewallOpenAndHeadersOpenOneSectionAtATimeAndCloseItAgain)
{
    ExpectOpen(firewallStrip);
    EXPECT_EQ(firewallStrip->geometry().right() + 1, pane.width());
    ClickOn(firewallStrip->Picture2(2));
    ClickOn(help->Picture1());
    ExpectOpen(helpStrip);
    EXPECT_EQ(firewallStrip->SelectedEntry(), -1);
    ClickOn(help->Picture1());
    ExpectOpen(nullptr);
    ClickOn(help->Picture1());
    ClickOn(helpStrip->Picture2(2));
    ClickOn(firewall->Picture1());
    ExpectOpen(firewallStrip);
    EXPECT_EQ(helpStrip->SelectedEntry(), -1);
    ClickOn(firewall->Picture1());
    ExpectOpen(nullptr);
}

TEST_F(NavigationPaneTest, AStateOtherThanOpenOrClosedOnlyClosesTheOtherSection)
{
    pane.HelpHeaderClicked(1);
    const int helpTop = help->y();
    pane.FirewallHeaderClicked(2);
    EXPECT_FALSE(helpStrip->isVisible() || firewallStrip->isVisible());
    EXPECT_EQ(help->y(), helpTop);
    pane.HelpHeaderClicked(7);
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_EQ(help->y(), firewall->geometry().bottom() + 1 + 5);
}

TEST_F(NavigationPaneTest, EntriesAreReportedWithTheirNumbersEvenWhenChosenAgain)
{
    for (int entry : {4, 1, 3, 3})
        ClickOn(firewallStrip->Picture2(entry));
    EXPECT_EQ(firewallStrip->SelectedEntry(), 3);
    ClickOn(help->Picture1());
    for (int entry : {1, 2, 3})
        ClickOn(helpStrip->Picture2(entry));
    EXPECT_EQ(entries, (std::vector<int>{4, 1, 3, 3, -1, -2, -3}));
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

} // namespace
} // namespace qb
