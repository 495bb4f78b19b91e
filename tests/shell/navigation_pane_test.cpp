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

    // A header or an entry is pressed and released with the pointer over it.
    static void ClickOn(QWidget* target)
    {
        test::Hover(target);
        test::Click(target);
        test::Leave(target);
    }
    int HeaderBottom(const UserControl1* header) const { return header->y() + header->height(); }
    // Only `open`'s strip shows, hanging from its header (same left edge, widened by 13 pixels), and Help
    // sits five pixels below whatever is above it.
    void ExpectOpen(const UserControl4* open)
    {
        EXPECT_EQ(firewall->CurrentState(), open == firewallStrip ? 1 : 0);
        EXPECT_EQ(help->CurrentState(), open == helpStrip ? 1 : 0);
        EXPECT_EQ(firewallStrip->isVisible(), open == firewallStrip);
        EXPECT_EQ(helpStrip->isVisible(), open == helpStrip);
        const int firewallEnd =
            open == firewallStrip ? firewallStrip->y() + firewallStrip->height() : HeaderBottom(firewall);
        EXPECT_EQ(help->y(), firewallEnd + 5);
        if (open) {
            const UserControl1* header = open == firewallStrip ? firewall : help;
            EXPECT_EQ(open->x(), header->x());
            EXPECT_EQ(open->y(), HeaderBottom(header));
            EXPECT_EQ(open->width(), header->width() + 13);
        }
    }

    NavigationPane pane;
    UserControl1* firewall = pane.UserControl11();
    UserControl4* firewallStrip = pane.UserControl41();
    UserControl1* help = pane.UserControl12();
    UserControl4* helpStrip = pane.UserControl42();
    std::vector<int> firewallEntries;
    std::vector<int> helpEntries;
};

TEST_F(NavigationPaneTest, StartsWithFirewallOpenAndStripsCarryTheirEntries)
{
    EXPECT_EQ(pane.size(), kNavigationSize);
    EXPECT_EQ(firewall->Caption(), QStringLiteral("Firewall"));
    EXPECT_EQ(help->Caption(), QStringLiteral("Help"));
    EXPECT_EQ(help->x(), firewall->x());
    ExpectOpen(firewallStrip);
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

TEST_F(NavigationPaneTest, HeadersOpenOneSectionAtATimeAndCloseItAgain)
{
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
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_FALSE(firewallStrip->isVisible());
    EXPECT_EQ(help->y(), helpTop);
    pane.HelpHeaderClicked(7);
    EXPECT_FALSE(helpStrip->isVisible());
    EXPECT_EQ(help->y(), HeaderBottom(firewall) + 5);
}

TEST_F(NavigationPaneTest, EntriesAreReportedWithTheirNumbersEvenWhenChosenAgain)
{
    for (int entry : {4, 1, 3, 3})
        ClickOn(firewallStrip->Picture2(entry));
    EXPECT_EQ(firewallEntries, (std::vector<int>{4, 1, 3, 3}));
    EXPECT_EQ(firewallStrip->SelectedEntry(), 3);
    ClickOn(help->Picture1());
    for (int entry : {1, 2, 3})
        ClickOn(helpStrip->Picture2(entry));
    EXPECT_EQ(helpEntries, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(firewallEntries.size(), 4u);
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
